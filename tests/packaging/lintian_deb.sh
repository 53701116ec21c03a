#!/usr/bin/env bash
# lintian over the .deb made by make_deb.sh: every tag is listed, an error ("E:") fails.
set -euo pipefail
dir=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v lintian >/dev/null || fail "lintian is not installed (make test installs it)"
debs=("$dir"/velmora_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one velmora_*.deb in $dir, got: ${debs[*]}"
# --no-cfg: a user's lintianrc may not hide tags from this test.
status=0
report=$(lintian --no-cfg --fail-on error --tag-display-limit 0 "${debs[0]}" 2>&1) || status=$?
echo "$report"
errors=$(grep -c '^E:' <<<"$report" || true)
[ "$errors" = 0 ] || fail "lintian reports $errors error(s)"
[ "$status" = 0 ] || fail "lintian ended with status $status"
echo "ok: lintian reports no error for $(basename "${debs[0]}")"
