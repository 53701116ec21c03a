#!/usr/bin/env bash
# Checks the .deb made by make_deb.sh as apt and a user would meet it: control fields, the file
# list, and the files unpacked into a scratch root.
set -euo pipefail
dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

debs=("$dir"/velmora_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one velmora_*.deb in $dir, got: ${debs[*]}"
deb=${debs[0]}
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
[ "$(basename "$deb")" = "velmora_${version}_$(dpkg --print-architecture).deb" ] || fail "file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmora ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "Maintainer or Description missing"
depends=$(field Depends)
# Named by hand (loaded at run time), then found in the binary by dpkg-shlibdeps.
for need in qt6-translations-l10n libopencc-data qt6-qpa-plugins libqt6widgets6 libqt6core6 libopencc1.1 libexiv2-27 libtag1v5 libc6 libstdc++6; do
    tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -Fxq "$need" || fail "Depends lacks $need: $depends"
done

# Exactly these files, all under /usr.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$scratch/files"
cat >"$scratch/expected" <<LIST
./usr/bin/velmora
./usr/share/applications/velmora.desktop
./usr/share/doc/velmora/changelog.gz
./usr/share/doc/velmora/copyright
./usr/share/icons/hicolor/scalable/apps/velmora.svg
./usr/share/metainfo/app.velmora.Velmora.metainfo.xml
LIST
diff -u "$scratch/expected" "$scratch/files" || fail "file list"

root=$scratch/root
dpkg -x "$deb" "$root"
[ -x "$root/usr/bin/velmora" ] || fail "binary not executable"
entry=$root/usr/share/applications/velmora.desktop
grep -qx 'Exec=velmora %F' "$entry" || fail "Exec line"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -s "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$root"/usr/share/metainfo/*.metainfo.xml)
[ -f "$root/usr/share/applications/$launchable" ] || fail "metainfo launches $launchable, which is not installed"
# The changelog: gzip -9 without the file's name and time (the same bytes from build to build), a
# Debian changelog whose newest entry is this version, the release the AppStream data names.
doc=$root/usr/share/doc/velmora
[ "$(head -c 9 "$doc/changelog.gz" | od -An -tx1 | tr -d ' \n')" = 1f8b08000000000002 ] ||
    fail "changelog.gz is not gzip -9n: $(head -c 9 "$doc/changelog.gz" | od -An -tx1)"
gzip -dc "$doc/changelog.gz" >"$scratch/changelog"
newest=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version) || fail "changelog does not parse"
[ "$newest" = "$version" ] || fail "the changelog's newest entry is $newest, the package $version"
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "the AppStream data names no release $version"
# The copyright file is machine-readable, and every license it names has its text.
head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"
for license in $(sed -n 's/^License: *//p' "$doc/copyright" | sort -u); do
    [ -f "/usr/share/common-licenses/$license" ] && continue
    awk -v l="License: $license" '$0 == l && (getline line) > 0 && line ~ /^ / {found = 1} END {exit !found}' \
        "$doc/copyright" || fail "copyright names the license $license without its text"
done

# The unpacked binary answers without a display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 "$root/usr/bin/velmora" --version)
[ "$out" = "velmora $version" ] || fail "--version said: $out"
echo "ok: $(basename "$deb"): $depends"
