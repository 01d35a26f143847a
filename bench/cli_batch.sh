#!/usr/bin/env bash
# Batch throughput of vantorel-cli: 50 renderings at 400 x 400 pixels of one
# template (a text and a barcode filled per job, the Y rotation varied),
# run with -j 1 and with -j 2; prints jobs per second and CPU time a job
# (the batch and its workers) for each.
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
for j in 1 2; do
  rm -rf "$work/out"
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" --data-dir "$work/data" --quiet batch "$work/jobs.csv" --template "$t" -j "$j" >/dev/null
  awk -v j="$j" '{ printf "-j %d: 50 jobs in %.2f s, %.2f jobs/s, %.1f ms CPU a job\n", j, $1, 50 / $1, ($2 + $3) * 20 }' "$work/time"
done
