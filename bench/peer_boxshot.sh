#!/usr/bin/env bash
# CPU time of a three-face box shot made by ImageMagick (the peer script of
# ../shared/peer: 2000 x 2000 reduced to 400 x 400) against ours: a new
# Software Box rendered at 400 x 400, magnification 5, by `vantorel-cli new`
# and `vantorel-cli render`, each timed as a whole process (CPU seconds, user
# + system, the median of RUNS runs; each run times REPEAT processes one after
# the other and divides, as the clock counts in hundredths of a second and a
# render takes a few of them). With a second program (an older build) both are
# timed in turns in the one run. Nothing is asserted.
# Usage: bench/peer_boxshot.sh [VANTOREL-CLI [OLD-VANTOREL-CLI]]   (RUNS=7, REPEAT=10 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
clis=("$(realpath "${1:-build/release/src/cli/vantorel-cli}")")
[[ -n "${2:-}" ]] && clis+=("$(realpath "$2")")
runs="${RUNS:-7}"
repeat="${REPEAT:-10}"
peer="$(realpath ../shared/peer/im-boxshot.sh 2>/dev/null || realpath /work/shared/peer/im-boxshot.sh)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cpu() {  # CPU seconds of one run of a command
    /usr/bin/time -f "%U %S" -o "$work/time" "$@" >/dev/null 2>&1
    awk '{ printf "%.3f\n", $1 + $2 }' "$work/time"
}
cpu_each() {  # CPU seconds of one process of a command, from REPEAT of them run in turn
    /usr/bin/time -f "%U %S" -o "$work/time" bash -c 'for _ in $(seq "$0"); do "$@" >/dev/null 2>&1 || exit 1; done' "$repeat" "$@"
    awk -v n="$repeat" '{ printf "%.4f\n", ($1 + $2) / n }' "$work/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

"${clis[0]}" --data-dir "$work/data" -q new "Software Box" -o "$work/first.vtp" >/dev/null  # the data folder, once
echo "load before: $(uptime | sed 's/.*load/load/')"
for i in "${!clis[@]}"; do : >"$work/new-$i" >"$work/render-$i" >"$work/render1-$i"; done
for r in $(seq "$runs"); do
    for i in "${!clis[@]}"; do
        vt=("${clis[$i]}" --data-dir "$work/data" -q)
        cpu_each "${vt[@]}" new "Software Box" --size 400x400 --magnification 5 -o "$work/box-$i.vtp" --force >>"$work/new-$i"
        cpu_each "${vt[@]}" render "$work/box-$i.vtp" -o "$work/box-$i.png" >>"$work/render-$i"
        cpu_each "${vt[@]}" render "$work/box-$i.vtp" -o "$work/box-$i.png" --threads 1 >>"$work/render1-$i"
    done
done
if [[ -x /usr/bin/convert && -n "$peer" ]]; then
    PATH="/usr/bin:$PATH" bash "$peer" "$work/peer" >/dev/null 2>&1  # makes the face pictures
    rm -f "$work/peer/out.png"
    im="$(cpu env PATH="/usr/bin:$PATH" bash "$peer" "$work/peer")"
else
    im=""
    echo "ImageMagick (/usr/bin/convert) or the peer script missing: no ratio"
fi
[[ -n "$im" ]] && echo "ImageMagick box shot, 400 x 400 from 2000 x 2000: $im s CPU"
for i in "${!clis[@]}"; do
    n="$(median <"$work/new-$i")" r="$(median <"$work/render-$i")" r1="$(median <"$work/render1-$i")"
    echo "${clis[$i]}: new $n s, render $r s (one thread: $r1 s) CPU, median of $runs runs of $repeat"
    [[ -n "$im" ]] && awk -v im="$im" -v n="$n" -v r="$r" -v r1="$r1" 'BEGIN {
        printf "  ImageMagick / render: %.0fx (one thread: %.0fx); / (new + render): %.0fx\n", im / r, im / r1, im / (n + r) }'
done
echo "load after: $(uptime | sed 's/.*load/load/')"
