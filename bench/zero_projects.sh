#!/usr/bin/env bash
# Time and peak memory of refusing files of zeros named .vtp (1 GB and 4 GB,
# sparse), as `vantorel-cli info` reads them, and of 200 pairs of concurrent
# `add` commands on one project. Usage: bench/zero_projects.sh VANTORELCLI [PAIRS]
set -u
cli="$1" pairs="${2:-200}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "load: $(uptime)"
for size in 1G 4G; do
  truncate -s "$size" "$work/zeros.vtp"
  /usr/bin/time -f "zeros $size: %e s, peak %M KB, exit %x" "$cli" --data-dir "$work/data" info "$work/zeros.vtp" 2>&1 >/dev/null |
    grep -v '^vantorel-cli:'
done
p="$work/pairs.vtp"
"$cli" --data-dir "$work/data" -q new "Software Box" -o "$p" || exit 1
ok=0 bad=0
start=$(date +%s.%N)
for i in $(seq 1 "$pairs"); do
  "$cli" --data-dir "$work/data" -q add "$p" Front text "A$i" & a=$!
  "$cli" --data-dir "$work/data" -q add "$p" Front text "B$i" & b=$!
  wait $a && ok=$((ok + 1)) || bad=$((bad + 1))
  wait $b && ok=$((ok + 1)) || bad=$((bad + 1))
done
end=$(date +%s.%N)
kept=$("$cli" --data-dir "$work/data" objects "$p" Front | wc -l)
echo "$pairs pairs of add: $ok exit 0, $bad failed, $kept of $((2 * pairs)) objects kept, $(echo "$end - $start" | bc) s"
echo "load: $(uptime)"
