#!/usr/bin/env bash
# Builds the .deb from a build tree as `make package` does and checks it as apt and a user would
# meet it: control fields, the file list, and the files unpacked into a scratch root.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack"; }
debs=("$scratch"/out/velmora_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one velmora_*.deb, got: ${debs[*]}"
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
for need in qt6-translations-l10n libopencc-data qt6-qpa-plugins libqt6widgets6 libqt6core6 libopencc1.1 libc6 libstdc++6; do
    tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -Fxq "$need" || fail "Depends lacks $need: $depends"
done

# Exactly these files, all under /usr.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$scratch/files"
cat >"$scratch/expected" <<LIST
./usr/bin/velmora
./usr/share/applications/velmora.desktop
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
# The unpacked binary answers without a display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 "$root/usr/bin/velmora" --version)
[ "$out" = "velmora $version" ] || fail "--version said: $out"
echo "ok: $(basename "$deb"): $depends"
