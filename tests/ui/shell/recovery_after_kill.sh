#!/usr/bin/env bash
# Unsaved work survives kill -9: the desktop program writes it to the recovery
# area every AutosaveSeconds, and the next start offers it in "Recover Unsaved
# Work". Runs the real program on a virtual display.
. "$(dirname "$0")/../../cli/support.bash" "$2"
gui="$1" data="$work/data"
copy_data_folder  # the settings file is written anew below, so the shared one stays as it is
"$cli" --data-dir "$data" -q new "Software Box" -o "$work/box.vtp" || { echo "FAIL: new"; exit 1; }
{ cat "$data/internal/vtprof.ini" 2>/dev/null; printf '\n[Recovery]\nAutosaveSeconds=1\n'; } >"$work/vtprof.ini"
mv "$work/vtprof.ini" "$data/internal/vtprof.ini"
# A damaged copy opens as an untitled, changed project: unsaved work without any typing.
cp "$work/box.vtp" "$work/damaged.vtp"
printf '\xef\xbe\xad\xde' | dd of="$work/damaged.vtp" bs=1 seek=34 conv=notrunc status=none
# The program must show real windows on the virtual display, whatever platform the test run chose.
export work data gui QT_QPA_PLATFORM=xcb
# A display number of its own to start from, so that two runs started at once do not both take :99;
# -noreset keeps the server up when the killed program, its only client, goes.
xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1600x1000x24 -noreset" bash -c '
  wait_for() { for _ in $(seq 1 300); do eval "$1" && return 0; sleep 0.2; done; return 1; }  # up to 60 s: a loaded machine starts the program slowly
  "$gui" --data-dir "$data" "$work/damaged.vtp" >/dev/null 2>&1 &
  first=$!
  wait_for "ls \"$data\"/internal/recovery/recover-*.ini >/dev/null 2>&1" || { echo "FAIL: no recovery file written"; kill -9 $first; exit 1; }
  kill -9 $first; wait $first 2>/dev/null
  "$gui" --data-dir "$data" >/dev/null 2>"$work/second.err" &
  second=$!
  ok=0
  wait_for "xdotool search --name \"^Recover Unsaved Work\$\" >/dev/null 2>&1" && ok=1
  [[ -n "${VT_SHOT:-}" ]] && { sleep 2; import -window root "$VT_SHOT"; }
  kill -9 $second; wait $second 2>/dev/null
  [[ $ok -eq 1 ]] || { echo "FAIL: the next start did not offer the work"; cat "$work/second.err"; exit 1; }
  echo "recovery after kill -9 offered"
'
