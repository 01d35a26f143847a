#!/usr/bin/env bash
# Batch throughput of vantorel-cli: 50 renderings at 400 x 400 pixels of one
# template (a text and a barcode filled per job, the Y rotation varied),
# run with -j 1 (also on one core alone) and with -j 2; prints jobs per second
# and CPU time a job (the batch and its workers) for each.
# Usage: bench/cli_batch.sh [PATH-TO-VANTOREL-CLI]   (default: the release build)
set -euo pipefail
cli="$(realpath "${1:-build/release/src/cli/vantorel-cli}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
vt() { "$cli" --data-dir "$work/data" --quiet "$@"; }
t="$work/template.vtp"
vt new "VHS Box" --size 400x400 -o "$t"
vt face "$t" Front --gradient 1 --color navy --color2 "#3080FF"
vt add "$t" Front text "{title}" --at 40,700 --size 60 --color white
vt add "$t" Front barcode "X" --at 40,120
{
  echo "output,title,barcode:Front,set:Y Rotation"
  for i in $(seq 1 50); do echo "out/job-$i.png,Title $i,VT-$i,$(( (i % 11) * 10 - 50 ))"; done
} >"$work/jobs.csv"
# "-j 1, one core" runs the batch on the first core alone (taskset), so that
# its jobs per second against "-j 2" tell how the batch scales from one core to two.
run() {  # LABEL JOBS [COMMAND PREFIX...]
  local label="$1" j="$2"
  shift 2
  rm -rf "$work/out"
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" "$cli" --data-dir "$work/data" --quiet batch "$work/jobs.csv" --template "$t" -j "$j" >/dev/null
  awk -v l="$label" '{ printf "%-14s 50 jobs in %.2f s, %.2f jobs/s, %.1f ms CPU a job\n", l ":", $1, 50 / $1, ($2 + $3) * 20 }' "$work/time"
}
uptime
if command -v taskset >/dev/null; then run "-j 1, one core" 1 taskset -c 0; fi
run "-j 1" 1
run "-j 2" 2
uptime
