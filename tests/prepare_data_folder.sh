#!/usr/bin/env bash
# The data folder of a test run, set up once (ctest fixture DataFolder) and
# copied by the tests that need a set-up folder. It is made the way a user's
# first command makes it: `new` on a fresh folder sets the folder up first and
# shows the setup's progress on stderr; a second `new` finds it set up.
# Usage: prepare_data_folder.sh VANTOREL_CLI FOLDER
set -u
cli="$1"
data="$2"
export LSAN_OPTIONS="suppressions=$(dirname "$0")/cli/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fail() { echo "FAIL: $*"; [[ -f "$data.err" ]] && cat "$data.err"; exit 1; }
rm -rf "$data" "$data.vtp" "$data.err"
"$cli" --data-dir "$data" new "VHS Box" -o "$data.vtp" >/dev/null 2>"$data.err" || fail "new on a fresh folder"
grep -q "Setting up CD-ROM Images" "$data.err" || fail "no setup progress"
grep -q "^Template=1" "$data/internal/vtwin.ini" || fail "new did not set up the data folder"
"$cli" --data-dir "$data" -q new "VHS Box" -o "$data.vtp" --force >/dev/null 2>"$data.err" || fail "new once set up"
[[ ! -s "$data.err" ]] || fail "the setup ran again, or --quiet printed"
# The tests share these files as hard links; the undo files are the only ones
# the program rewrites in place, so none is left behind.
rm -f "$data.vtp" "$data.err" "$data"/internal/_undo*
