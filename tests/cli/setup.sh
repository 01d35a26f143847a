#!/usr/bin/env bash
# vantorel-cli setup: a run finishes the data folder and records it, a second
# run returns at once, a run without the installed thumbnails fails and says why.
# (A whole first run is the DataFolder fixture's and SetupRunTest's; here the
# test run's set-up folder loses its record and two pictures, as after an
# interrupted first run, and setup makes what is missing.)
. "$(dirname "$0")/support.bash" "$1"

# Installed data: stand-in thumbnails (more than 100 bytes each) for the 32 models.
inst="$work/installed"
mkdir -p "$inst"
"$cli" models | awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^dmo_.*\.bmp$/) print $i }' | while read -r f; do
  head -c 200 /dev/zero >"$inst/$f"
done
[[ $(ls "$inst" | wc -l) -eq 32 ]] || fail "32 model thumbnails expected, got $(ls "$inst" | wc -l)"

copy_data_folder
ini="$work/data/internal/vtwin.ini"
sed -i 's/^Template=1/Template=0/' "$ini"  # sed writes a new file: the shared one stays
rm "$work/data/internal/ecd_b111.png" "$work/data/internal/dzp_001.bmp"
"$cli" --data-dir "$work/data" -q setup --installed "$inst" >"$work/out" 2>"$work/err" || { fail "first setup"; cat "$work/err"; }
[[ ! -s "$work/err" ]] || { fail "quiet setup printed"; cat "$work/err"; }
grep -q "^Template=1" "$ini" || fail "Init/Template not recorded"
[[ -s "$work/data/internal/ecd_b111.png" ]] || fail "no Silver 5 CD-ROM picture"
[[ -s "$work/data/internal/dzp_001.bmp" ]] || fail "no zip disk thumbnail"
[[ -s "$work/data/internal/dmo_bic_032.bmp" ]] || fail "model thumbnail not copied"

"$cli" --data-dir "$work/data" setup --installed "$inst" >"$work/out" 2>"$work/err" || fail "second setup"
grep -q "already set up" "$work/out" || fail "second setup should find the folder set up"

"$cli" --data-dir "$work/other" -q setup --installed "$work/nowhere" >"$work/out" 2>"$work/err"
[[ $? -eq 1 ]] || fail "setup without installed data must fail"
grep -q "File not found. Incomplete Installation?" "$work/err" || { fail "missing-thumbnail message"; cat "$work/err"; }

"$cli" --data-dir "$work/data" setup --bogus >"$work/out" 2>"$work/err"
[[ $? -eq 2 ]] || fail "unknown option must be a usage error"

finish setup
