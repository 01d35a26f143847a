#!/usr/bin/env bash
# A six-row catalogue whose front pictures come at other resolutions than the
# template's: in every rendering the text and the barcode stand where the
# template's rendering shows them, and every barcode scans.
. "$(dirname "$0")/support.bash" "$1"
IM=/usr/bin/convert
if [[ ! -x $IM ]] || ! command -v zbarimg >/dev/null; then echo "ImageMagick or zbarimg missing"; exit 77; fi
run() { "$cli" --data-dir "$work/data" -q "$@" || fail "$*"; }
copy_data_folder
# box PICTURE COLOUR: "LEFT TOP RIGHT BOTTOM" of the pixels near COLOUR.
box() { "$IM" "$1" -fuzz 30% -fill black +opaque "$2" -fill white -opaque "$2" -trim -format '%X %Y %w %h' info: |
        awk '{ printf "%d %d %d %d", $1, $2, $1 + $3, $2 + $4 }'; }
# near A B: every edge of two boxes within 2 pixels (glyphs and modules round to face pixels).
near() { local a=($1) b=($2) i; for i in 0 1 2 3; do (( ${a[i]} - ${b[i]} <= 2 && ${b[i]} - ${a[i]} <= 2 )) || return 1; done; }

# A business card seen from the front (86 x 54 mm, an 860 x 540 face): the template's
# picture is 430 x 270, the rows' pictures 215 x 135, 860 x 540 and 1290 x 810.
t="$work/card.vtp"
run new "Business Card" -o "$t"
run set "$t" "X Rotation=0" "Y Rotation=0" "Z Rotation=0" "Shadows=No"
for s in 215x135 430x270 860x540 1290x810; do "$IM" -size "$s" xc:'#202040' "$work/art-$s.png"; done
run face "$t" Front --picture "$work/art-430x270.png"
run face "$t" Background --color "#808080"
run add "$t" Front text "SAMPLE" --at 20,250 --size 40 --color "#00FF00"
# No place or size given: a barcode that scans at the rendering size, in a free corner.
run add "$t" Front barcode "VT-00" --kind "Code 128"
run render "$t" -o "$work/template.png"
text0="$(box "$work/template.png" '#00FF00')"; code0="$(box "$work/template.png" white)"

sizes=(215x135 860x540 1290x810)  # half, twice and three times the template's
{
  echo "output,picture:Front,barcode:Front"
  for i in $(seq 1 6); do printf 'out/%02d.png,art-%s.png,VT-%02d\n' "$i" "${sizes[$((i % 3))]}" "$i"; done
} >"$work/jobs.csv"
"$cli" --data-dir "$work/data" -q batch "$work/jobs.csv" --template "$t" -j 2 >/dev/null 2>"$work/err" ||
  { fail "batch"; cat "$work/err"; }
for i in $(seq -w 1 06); do
  png="$work/out/$i.png"
  near "$(box "$png" '#00FF00')" "$text0" || fail "row $i: text at $(box "$png" '#00FF00'), template $text0"
  near "$(box "$png" white)" "$code0" || fail "row $i: barcode at $(box "$png" white), template $code0"
  [[ "$(zbarimg -q --raw "$png" 2>/dev/null)" == "VT-$i" ]] || fail "row $i: the barcode does not scan as VT-$i"
done
finish catalogue
