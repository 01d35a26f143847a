#!/usr/bin/env bash
# vantorel-cli never loses a project: new and outputs refuse to replace one,
# edits take turns on a shared project and respect the desktop program's
# lock, damaged files are refused saying what was lost, text from files
# reaches the terminal escaped, and batch outputs stay in their folder.
. "$(dirname "$0")/support.bash" "$1"
count() { run objects "$1" Front | wc -l; }
copy_data_folder

p="$work/box.vtp"
check "new" run -q new "Software Box" -o "$p"
check "text" run -q add "$p" Front text "KEEP"
sum="$(md5sum <"$p")"

# new and outputs never replace a project without --force.
refuse "new over a project" 2 "already exists; it is left as it is" run -q new "CD Box" -o "$p"
cp "$p" "$work/shot.png"
refuse "render over a project" 2 "is a project file" run -q render "$p" -o "$work/shot.png"
refuse "turntable over a project" 2 "is a project file" run -q turntable "$p" --frames 2 --webp "$work/shot.png"
[[ "$(md5sum <"$p")" == "$sum" && "$(md5sum <"$work/shot.png")" == "$sum" ]] || fail "a refused output changed a project"
check "new --force" run -q new "CD Box" -o "$work/shot.png" --force

# Edits take turns: every object of pairs of adds at the same moment is kept.
before=$(count "$p")
for i in $(seq 1 10); do
  run -q add "$p" Front text "A$i" & run -q add "$p" Front text "B$i" & wait
done
[[ $(count "$p") -eq $((before + 20)) ]] || fail "concurrent adds lost objects: $(count "$p") of $((before + 20))"
flock "$p" sleep 2 &
sleep 0.3
refuse "a held project" 1 "is being changed by another command; gave up after 0.2 s" run -q add "$p" Front text C --wait 0.2
wait
printf 'user=anna\nhost=%s\npid=%d\ntime=0\n' "$(hostname)" $$ >"$work/.box.vtp.lock"
refuse "a project open in the desktop program" 1 "is open in Vantorel by anna on" run -q add "$p" Front text D
check "--force passes the desktop lock" run -q add "$p" Front text E --force
printf 'user=anna\nhost=%s\npid=999999999\ntime=0\n' "$(hostname)" >"$work/.box.vtp.lock"
check "a stale lock is passed" run -q add "$p" Front text F

# One damaged 32-bit value (the word after the versions, at byte 16 + 9 + 9) is
# refused saying what could not be read; the file is left as it is.
cp "$p" "$work/damaged.vtp"
printf '\xef\xbe\xad\xde' | dd of="$work/damaged.vtp" bs=1 seek=34 conv=notrunc status=none
sum="$(md5sum <"$work/damaged.vtp")"
refuse "damaged project" 1 "damaged.vtp could not be read completely: the file is damaged at byte 34 (the drawing defaults). The file is left as it is." run -q add "$work/damaged.vtp" Front text G
[[ "$(md5sum <"$work/damaged.vtp")" == "$sum" ]] || fail "the damaged file was written"

# Text from files reaches the terminal with its control characters escaped.
check "text with escapes" run -q add "$p" Front text $'X\e]0;owned\a\xc2\x9b'
check "objects" run objects "$p" Front
grep -qF 'X\x1b]0;owned\x07\xc2\x9b' "$work/out" || { fail "control characters not escaped"; cat -v "$work/out"; }
! grep -q $'\e' "$work/out" || fail "an escape reached the terminal"

# Batch outputs stay in the output folder; a bad row fails alone.
mkdir -p "$work/jobs"
printf 'output\nok.png\n/tmp/vantorel-abs-%d.png\n../up.png\n' $$ >"$work/jobs/jobs.csv"
run -q batch "$work/jobs/jobs.csv" --template "$p" >"$work/out" 2>"$work/err"; rc=$?
[[ $rc -eq 1 && -s "$work/jobs/ok.png" && ! -e "$work/up.png" && ! -e "/tmp/vantorel-abs-$$.png" ]] || fail "batch confinement (exit $rc)"
grep -q "absolute path" "$work/err" && grep -q "climbs out" "$work/err" || { fail "batch refusals"; cat "$work/err"; }

# A batch told to stop stops its renders and leaves no temporary files.
check "big project" run -q new "Software Box" -o "$work/big.vtp" --size 2400x2400
printf 'output\nb1.png\nb2.png\nb3.png\nb4.png\n' >"$work/jobs/big.csv"
ls /tmp/vantorel-batch-* 2>/dev/null | sort >"$work/tmp-before"
"$cli" --data-dir "$work/data" -q batch "$work/jobs/big.csv" --template "$work/big.vtp" -j 2 >/dev/null 2>&1 &
batch=$!
sleep 1
kill -TERM "$batch"
wait "$batch"
sleep 0.5
pgrep -f -- "--batch-worker --data-dir $work/data" >/dev/null && fail "renders still run after the batch stopped"
ls /tmp/vantorel-batch-* 2>/dev/null | sort | comm -13 "$work/tmp-before" - | grep -q . && fail "the stopped batch left temporary files"

finish safety
