#!/usr/bin/env bash
# vantorel-cli end to end: a complete product made from nothing through the
# commands (appearance on every face, a picture made here, a text, a barcode, smooth text),
# rendered and looked at; the names the commands take; overrides, turntables
# and batches; and the refusals, one line each with nothing written.
. "$(dirname "$0")/support.bash" "$1"
IM=/usr/bin/convert
# count PICTURE EXPRESSION: pixels whose r, g, b (0..255) satisfy the awk expression.
count() {
  "$IM" "$1" -depth 8 rgb:- | od -An -v -tu1 -w3 | awk '{ r = $1; g = $2; b = $3; if ('"$2"') n++ } END { print n + 0 }'
}
# pixel PICTURE X Y: "r g b" of one pixel (x right, y down).
pixel() { "$IM" "$1" -depth 8 -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }

# ---- a complete product from nothing -----------------------------------------------------
copy_data_folder
p="$work/box.vtp"
check "new" run -q new "VHS Box" -o "$p"
"$IM" -size 64x64 xc:'#FF00FF' "$work/magenta.png" || fail "the test picture could not be made"
check "front colour" run -q face "$p" Front --color red
check "left picture" run -q face "$p" Left --picture "$work/magenta.png" --fit stretch
check "right picture" run -q face "$p" Right --picture "$work/magenta.png"
check "top colour" run -q face "$p" Top --color "0,0,255"
check "bottom gradient" run -q face "$p" Bottom --gradient 0 --color blue --color2 navy
check "background" run -q face "$p" Background --color "#FFFF00"
# Front: 103 x 190 mm. The text 10 mm from the left, 150 mm up; the barcode near the bottom.
check "text in mm" run -q add "$p" Front text "MOON" --unit mm --at 10,150 --size 20 --color white --bold
check "barcode" run -q add "$p" Front barcode "VT-0042" --at 20,60
check "rect to remove" run -q add "$p" Front rect 1,1 10,10 --style filled
check "remove it" run -q remove "$p" Front 3
# The document read back holds the objects as made (face pixels: the same mm turned by
# the face's own pixels per millimetre, which info reports as its width over 103 mm).
check "info json" run info "$p" --json
expect "left is a picture face" '"name": "Left", "key": "L", "appearance": "picture"'
fw="$(grep -o '"name": "Front", "key": "F", "appearance": "colour", "width": [0-9]*' "$work/out" | grep -o '[0-9]*$')"
[[ -n "$fw" ]] || fail "info --json has no colour Front face"
x=$(( (10 * fw + 51) / 103 )); y=$(( (150 * fw + 51) / 103 ))
check "objects" run objects "$p" Front --json
expect "objects as made" "\"number\": 1, \"kind\": \"Text\", \"x\": $x, \"y\": $y, " '"text": "MOON"' \
  '"number": 2, "kind": "Barcode", "x": 20, "y": 60, ' '"text": "VT-0042"'
grep -q '"number": 3' "$work/out" && fail "the removed object is still there"
# A retail barcode: EAN-13 of 12 digits gets its check digit (400638133393 weighted 3, 1,
# 3, ... from its rightmost digit sums to 89, so the check digit is 1).
check "ean-13 on the front" run -q add "$p" Front barcode 400638133393 --kind EAN-13 --at 300,100
check "objects with ean" run objects "$p" Front
grep -q '"4006381333931"' "$work/out" || { fail "EAN-13 check digit"; cat "$work/out"; }
check "remove ean" run -q remove "$p" Front 3
# Added without a place to a spine too narrow for it upright (a box made for a 240 x 200
# rendering has small faces), the symbol stands turned a quarter, inside the face.
s="$work/spine.vtp"
check "spine box" run -q new "Software Box" --size 240x200 -o "$s"
check "ean-13 on the spine" run -q add "$s" Right barcode 400638133393 --kind EAN-13
read -r fw fh <<<"$(run info "$s" | awk '$1 == "Right" { print $3, $5 }')"
read -r x y w h <<<"$(run objects "$s" Right --json | sed -E 's/.*"x": (-?[0-9]+), "y": (-?[0-9]+), "width": ([0-9]+), "height": ([0-9]+).*/\1 \2 \3 \4/;t;d')"
(( w < h && x >= 0 && x + w <= fw && y <= fh && y - h >= 0 )) || fail "spine barcode at $x,$y size ${w}x$h on a ${fw}x$fh face"

check "render" run -q set "$p" "X Rotation=0" "Y Rotation=30" "Z Rotation=0" "Shadows=No" "Reflection=No"
check "render" run -q render "$p" -o "$work/box.png"
# The product stands in the middle of the picture with its front to the viewer: the centre
# is red; the turned product, seen from a little above as new projects are, shows a magenta
# side and its blue top; the corners are the yellow background.
read -r r g b <<<"$(pixel "$work/box.png" 200 200)"
(( r > 120 && g < 80 && b < 80 )) || fail "centre is not the red front: $r $g $b"
read -r r g b <<<"$(pixel "$work/box.png" 2 2)"
(( r > 200 && g > 200 && b < 80 )) || fail "corner is not the yellow background: $r $g $b"
(( $(count "$work/box.png" 'r > 120 && g < 80 && b < 80') > 8000 )) || fail "too little red front"
(( $(count "$work/box.png" 'r > 100 && b > 100 && g < 80') > 1000 )) || fail "no magenta side"
(( $(count "$work/box.png" 'b > 120 && r < 80 && g < 80') > 300 )) || fail "no blue top"
(( $(count "$work/box.png" 'r > 200 && g > 200 && b > 200') > 40 )) || fail "no white text or barcode"

# ---- overrides change the rendering, never the project ----------------------------------
before="$(md5sum <"$p")"
check "render with overrides" run -q render "$p" -o "$work/green.png" --set "Y Rotation=-30" --picture "Front=$work/magenta.png"
read -r r g b <<<"$(pixel "$work/green.png" 200 200)"
(( r > 100 && b > 100 && g < 80 )) || fail "front override not rendered: $r $g $b"
[[ "$(md5sum <"$p")" == "$before" ]] || fail "render overrides changed the project"
refuse "override out of range" 2 "Y Rotation must be between -180 and 180 degrees." run render "$p" -o "$work/x.png" --set "Y Rotation=181"
[[ ! -e "$work/x.png" ]] || fail "a refused render wrote a file"
# A relative output remembers its whole folder.
(cd "$work" && run -q render box.vtp -o rel.png) || fail "relative render"
grep -qx "Render To File=$work/" "$work/data/internal/vtprof.ini" || { fail "Dir not absolute"; grep -A3 Dir "$work/data/internal/vtprof.ini"; }

# ---- turntable -------------------------------------------------------------------------
check "turntable" run -q turntable "$p" --frames 3 --from -30 --to 30 -o "$work/shots/f-%02d.png" --webp "$work/spin.webp"
for f in 00 01 02; do [[ -s "$work/shots/f-$f.png" ]] || fail "frame $f missing"; done
# Bouncing: 0 1 2 1, four frames.
[[ "$(/usr/bin/identify "$work/spin.webp" | wc -l)" -eq 4 ]] || fail "the animation is not four frames"
cmp -s "$work/shots/f-01.png" "$work/box.png" && fail "frames do not turn"
refuse "frame name" 2 "one frame number" run turntable "$p" --frames 3 -o "$work/f.png"

# ---- batch -----------------------------------------------------------------------------
t="$work/tpl.vtp"
check "template" run -q new "VHS Box" -o "$t"
check "template text" run -q add "$t" Front text "{title}" --at 20,600 --size 60
check "template code" run -q add "$t" Front barcode "X" --at 20,100
mkdir -p "$work/jobs"
cat >"$work/jobs/jobs.csv" <<CSV
output,set:Y Rotation,title,barcode:Front
out/a.png,20,First,A-1
out/b.png,-20,"Second, with comma",B-2
out/c.png,181,Bad,C-3
CSV
# One worker renders every row, the later ones from its copy of the template.
run batch "$work/jobs/jobs.csv" --template "$t" -j 1 >"$work/out" 2>"$work/err"; rc=$?
[[ $rc -eq 1 ]] || fail "batch with a failing job exits $rc"
[[ -s "$work/jobs/out/a.png" && -s "$work/jobs/out/b.png" && ! -e "$work/jobs/out/c.png" ]] || fail "batch outputs"
[[ $(grep -c '^\[[0-9]/3\] done' "$work/out") -eq 2 && $(grep -c '^\[[0-9]/3\] FAILED' "$work/out") -eq 1 ]] || { fail "batch progress"; cat "$work/out"; }
grep -qF "jobs.csv:4: $work/jobs/out/c.png:" "$work/err" && grep -qF "Y Rotation must be between" "$work/err" || { fail "batch failure line"; cat "$work/err"; }
[[ $(wc -l <"$work/err") -eq 1 ]] || fail "batch failures not one line each"
check "row b alone" run -q render "$t" -o "$work/b.png" --set "Y Rotation=-20" --var "title=Second, with comma" --barcode Front=B-2
cmp -s "$work/b.png" "$work/jobs/out/b.png" || fail "a worker's second job differs from its row rendered alone"
# A dry run checks every row, renders and makes nothing; --json: one line a job.
rm -rf "$work/jobs/out"
run batch "$work/jobs/jobs.csv" --template "$t" --dry-run --json >"$work/out" 2>"$work/err"; rc=$?
[[ $rc -eq 1 && ! -e "$work/jobs/out" ]] || fail "dry run exits $rc or made the output folder"
[[ $(grep -c '^{"job": [0-9], "line": [0-9], .*"ok": true' "$work/out") -eq 2 && $(grep -c '"ok": false, .*Y Rotation' "$work/out") -eq 1 ]] ||
  { fail "dry run JSON lines"; cat "$work/out"; }
check "template untouched" run objects "$t" Front
grep -q '"{title}"' "$work/out" || fail "the batch changed the template"
printf 'name\nx\n' >"$work/nooutput.csv"
refuse "jobs file without output" 1 "nooutput.csv: line 1: the jobs file has no \"output\" column" run batch "$work/nooutput.csv" --template "$t"

# ---- names -----------------------------------------------------------------------------
check "list models" run list models
[[ $(wc -l <"$work/out") -eq 32 ]] || fail "not 32 models"
[[ -z "$(cut -c1-34 "$work/out" | sort | uniq -d)" ]] || fail "model names repeat"
grep -q "^CD Box with CD-ROM " "$work/out" || fail "no CD Box with CD-ROM"
refuse "ambiguous model" 2 '"Software Box", "Software Box with CD-ROM"' run new "Software" -o "$work/n.vtp"
check "part of a name" run -q new "floppy" --floppy-color "Black 1" -o "$work/fl.vtp"
refuse "zip colour on a floppy" 2 "--zip-color does not apply" run new "floppy" --zip-color "Black 1" -o "$work/n.vtp"
refuse "binder question" 1 "it will have to be very large" run new "Custom Size Binder" --width 100 --depth 60 -o "$work/n.vtp"
check "binder question answered" run -q --yes new "Custom Size Binder" --width 100 --depth 60 -o "$work/bin.vtp"
refuse "binder too narrow" 1 "You can not make a Binder with these dimensions." run --yes new "Custom Size Binder" --width 40 --depth 60 -o "$work/n.vtp"
[[ ! -e "$work/n.vtp" ]] || fail "a refused new wrote a file"
for what in textures patterns gradients floppy-colors zip-colors cd-images; do
  check "list $what" run list "$what" --json
  [[ $(grep -c '"name"' "$work/out") -gt 0 ]] || fail "empty list $what"
  [[ -z "$(grep -o '"name": "[^"]*"' "$work/out" | sort | uniq -d)" ]] || fail "$what names repeat"
done
check "texture by listed name" run -q face "$p" Top --texture marble --scale 1/4
check "version" run --version
grep -q "^vantorel-cli [0-9]" "$work/out" || fail "version"

# ---- smooth text ------------------------------------------------------------------------
# --smooth is stored with the text: the record's option word after its tag (31 4F 58 54) and
# word count 1; bit 1 = the box holds the ink (every new text), bit 2 = smooth.
options() { od -An -v -tx1 "$1" | tr -d '\n' | grep -o '31 4f 58 54 01 00 00 00 [0-9a-f][0-9a-f]' | awk '{ print $9 }'; }
for name in plain smooth; do
  check "new $name" run -q new "Business Card" -o "$work/$name.vtp"
  check "front $name" run -q face "$work/$name.vtp" Front --color "#FFE0A0"
  check "$name text" run -q add "$work/$name.vtp" Front text "fff Qj" --font "Liberation Serif" --italic --size 100 \
    --at 20,400 --color "#202080" $([[ $name == smooth ]] && echo --smooth)
  check "render $name" run -q render "$work/$name.vtp" -o "$work/$name.png"
done
[[ "$(options "$work/plain.vtp")" == "01" ]] || fail "plain text options: $(options "$work/plain.vtp")"
[[ "$(options "$work/smooth.vtp")" == "03" ]] || fail "smooth text options: $(options "$work/smooth.vtp")"
# Smoothing changes the edges, not the layout: the same box, a different rendering.
cmp -s <(run objects "$work/plain.vtp" Front) <(run objects "$work/smooth.vtp" Front) || fail "smooth text box differs"
cmp -s "$work/plain.png" "$work/smooth.png" && fail "smooth text renders like the plain one"
check "save smooth again" run -q set "$work/smooth.vtp" "Brightness=90"
[[ "$(options "$work/smooth.vtp")" == "03" ]] || fail "smooth option lost on saving again"

# ---- lines of text, the look of shapes, set-object --------------------------------------
l="$work/lines.vtp"
check "new lines" run -q new "Business Card" -o "$l"
check "two lines" run -q add "$l" Front text 'line 1\nline 2' --align center --line-spacing 120 --letter-spacing 5 \
  --size 40 --at 20,400
check "styled rect" run -q add "$l" Front rect 10,10 200,100 --line-width 1 --dash dash --corner-radius 2 --opacity 60
check "set-object" run -q set-object "$l" Front 2 --x 30 --y 150 --width 100 --height 50
check "objects of lines" run objects "$l" Front --json
grep -qF '"text": "line 1\nline 2"' "$work/out" || fail "two lines: $(cat "$work/out")"
grep -qF '"number": 2, "kind": "Rectangle", "x": 30, "y": 150, "width": 100, "height": 50' "$work/out" ||
  fail "set-object box: $(cat "$work/out")"
# The rectangle's look rides in its optional words (tag 31 4A 42 4F, five words); the text's
# lines in its own (tag 31 4F 58 54, five words).
od -An -v -tx1 "$l" | tr -d '\n' | grep -q '31 4a 42 4f 05 00 00 00' || fail "look words"
od -An -v -tx1 "$l" | tr -d '\n' | grep -q '31 4f 58 54 05 00 00 00' || fail "text layout words"
check "render lines" run -q render "$l" -o "$work/lines.png"
refuse "dash name" 2 "--dash must be" run add "$l" Front line 1,1 5,5 --dash wavy
refuse "radius on a line" 2 "--corner-radius goes with rectangles" run add "$l" Front line 1,1 5,5 --corner-radius 1
refuse "text width" 2 "Text can not be resized" run set-object "$l" Front 1 --width 5

# ---- refusals leave the project as it was ----------------------------------------------
before="$(md5sum <"$p")"
refuse "unknown face" 2 "has no face \"Spine\"" run face "$p" Spine --color red
refuse "unknown texture" 2 "no texture named \"velvet\"" run face "$p" Top --texture velvet
refuse "pattern range" 2 "Pattern must be between 131 and 193." run face "$p" Top --pattern 200
refuse "missing pattern" 2 "there is no pattern 140" run face "$p" Top --pattern 140
refuse "unreadable picture" 1 "Can not load the picture:" run face "$p" Front --picture "$work/none.png"
refuse "no colour" 2 "is no colour" run face "$p" Front --color "#12345"
refuse "empty text" 2 "Please enter some Text." run add "$p" Front text ""
refuse "blank text" 2 "Please enter some Text." run add "$p" Front text "  \\n "
refuse "text size" 2 "Size must be between 1 and 255." run add "$p" Front text "x" --size 256
refuse "bad barcode" 2 "Barcode includes invalid characters." run add "$p" Front barcode "lower"
refuse "barcode kind" 2 "--kind must be" run add "$p" Front barcode "123" --kind QR
refuse "unknown font" 2 "no font named" run add "$p" Front text "x" --font "No Such Font Family"
refuse "mm on the background" 2 "has no size in millimetres" run add "$p" Background text "x" --unit mm
refuse "polygon points" 2 "polygon takes at least 3 points" run add "$p" Front polygon 1,1 2,2
refuse "remove range" 2 "Object number must be between 1 and 2." run remove "$p" Front 3
refuse "set-object, no objects" 1 "the Top face has no objects" run set-object "$p" Top 1 --x 5
refuse "margin percent" 2 "Margin must be between 1 and 99 %." run add "$p" Front margin top 0
[[ "$(md5sum <"$p")" == "$before" ]] || fail "a refusal changed the project"

finish artwork
