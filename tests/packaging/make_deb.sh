#!/usr/bin/env bash
# Builds the .deb of a build tree as `make package` does, into a folder of its own (emptied first),
# for the package tests that follow to read.
set -euo pipefail
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
if ! cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack" >&2
    exit 1
fi
ls "$out"/*.deb
