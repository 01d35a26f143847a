#!/usr/bin/env bash
# The Debian package that `cpack -G DEB` makes passes lintian without errors
# or warnings. Skipped (77) where lintian is not installed.
# Usage: lintian.sh BUILD_FOLDER
set -u
build="$1"
command -v lintian >/dev/null || { echo "lintian is not installed"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { echo "FAIL: cpack"; cat "$work/cpack.log"; exit 1; }
deb="$(ls "$work"/*.deb 2>/dev/null | head -n 1)"
[[ -n "$deb" ]] || { echo "FAIL: cpack made no package"; exit 1; }
lintian --fail-on error,warning --no-tag-display-limit "$deb" && echo "lintian: $(basename "$deb") clean"
