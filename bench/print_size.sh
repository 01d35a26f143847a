#!/usr/bin/env bash
# Print-size figures measured with the command-line program (not a test:
# nothing is asserted). Usage: bench/print_size.sh BUILD_DIR [WORK_DIR]
#  1. Peak resident memory and time of renderings at magnification 4
#     (Software Box), in bands, by size: 1000, 2000, 4000 and 8000 pixels square.
#  2. CPU time against the ImageMagick three-face box shot of the peer script
#     at 400 x 400 with 5x supersampling, and ours at 400 x 400, magnification 5.
set -euo pipefail
build="${1:?usage: print_size.sh BUILD_DIR [WORK_DIR]}"
work="${2:-$(mktemp -d)}"
cli="$build/src/cli/vantorel-cli"
peer="$(cd "$(dirname "$0")/../.." && pwd)/shared/peer/im-boxshot.sh"
run() { "$cli" --data-dir "$work/data" -q "$@"; }
# CPU seconds (user + system) and peak RSS in MB of a command, from GNU time.
measure() {
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >/dev/null
  awk '{ printf "%.2f s CPU, %.0f MB peak\n", $1 + $2, $3 / 1024 }' "$work/time"
}

for side in 1000 2000 4000 8000; do
  run new "box/Software Box" --size ${side}x${side} --magnification 4 -o "$work/big.vtp" --force
  echo "$side x $side at magnification 4: $(measure "$cli" --data-dir "$work/data" -q render "$work/big.vtp" -o "$work/big.png")"
done
"$cli" --data-dir "$work/data" info "$work/big.vtp" | grep '^Rendering\|^Print'

run new "box/Software Box" --size 400x400 --magnification 5 -o "$work/small.vtp"
ours="$(measure "$cli" --data-dir "$work/data" -q render "$work/small.vtp" -o "$work/small.png")"
echo "ours, 400 x 400 at magnification 5: $ours"
if [[ -x /usr/bin/convert && -f "$peer" ]]; then
  PATH="/usr/bin:$PATH" bash "$peer" "$work/peer" >/dev/null 2>&1 || true  # makes the face pictures
  rm -f "$work/peer/out.png"
  echo "ImageMagick box shot, 400 x 400 from 2000 x 2000: $(measure env PATH="/usr/bin:$PATH" bash "$peer" "$work/peer")"
else
  echo "ImageMagick (/usr/bin/convert) or the peer script missing: no comparison"
fi
