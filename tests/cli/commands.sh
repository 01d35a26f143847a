#!/usr/bin/env bash
# vantorel-cli end to end: new, info, set, render in every format, and the
# failures (each a one-line message, a non-zero exit, nothing written).
. "$(dirname "$0")/support.bash" "$1"
magic() { head -c "$2" "$1" | od -An -tx1 | tr -d ' \n'; }

copy_data_folder
p="$work/vhs.vtp"
check "new VHS Box" run -q new "VHS Box" -o "$p"
check "info" run info "$p"
# New projects print at 300 dpi: 400 / 300 * 2.54 = 3.39 cm.
expect "info" "^Kind: Box (BOX)" "^Dimensions: 103 x 190 x 28 mm" "^Rendering: 400 x 400 pixels, magnification 2" \
  "^Print size: 3.4 x 3.4 cm at 300 dpi"

check "set by label" run -q set "$p" "Bevel=Yes" "Bevel Size=12" "Effect Style=Gray Scale" "Color Effect=Yes" "Borders/Color=#FF8000"
# Every value as info prints it is taken back, with or without its unit; global options go anywhere.
check "values as info prints them" run set "$p" "Bevel/Size=12 pixels" "Brightness=100%" "Resolution=300 dpi" "Y Rotation=25 degrees" -q
[[ ! -s "$work/out" ]] || fail "-q after the command"
check "render --help" run render --help
expect "render --help" "--threads N"
head -c 100 /dev/urandom >"$work/junk.vtp"
refuse "not a project names the file" 1 "$work/junk.vtp: " run info "$work/junk.vtp"
check "info after set" run info "$p"
expect "info after set" "Size             12 pixels" "Effect Style     Gray Scale" "Color            #FF8000" "^  Front "

# Refused edits leave the project file exactly as it was.
before="$(md5sum <"$p")"
refuse "malformed number" 2 "Brightness contains invalid characters." run set "$p" "Brightness=12x"
refuse "unknown setting" 2 "Unknown setting" run set "$p" "Sparkle=Yes"
refuse "ambiguous label" 2 "ambiguous" run set "$p" "Size=3"
refuse "bad choice" 2 "Effect Style must be one of" run set "$p" "Effect Style=Sepia"
refuse "all or nothing" 2 "Rotation" run set "$p" "Brightness=120" "X Rotation=61"
refuse "range with the unit" 2 "Brightness must be between 50 and 150 %." run set "$p" "Brightness=151%"
[[ "$(md5sum <"$p")" == "$before" ]] || fail "a refused set changed the file"

check "reflection with the vertical table informs" run set "$p" "Table Position=Behind (Vertical Table)" "Reflection=Yes"
expect "table information" "Reflections can not be combined with this Table Position, so will not be displayed."
check "back to the horizontal table" run -q set "$p" "Table Position=Beneath (Horizontal Table)" "Reflection=No"
check "page depths together" run -q set "$p" "Page Depth %=20/70/10"

# Render in each format, at 600 dpi (23622 pixels per metre in BMP and PNG); the format follows
# the extension, and a name without one is refused.
check "set resolution and size" run -q set "$p" "Resolution=600" "Rendering Size=240x180"
check "info resolution" run info "$p"
# 240 / 600 * 2.54 = 1.016 and 180 / 600 * 2.54 = 0.762 cm.
expect "info resolution" "^Rendering: 240 x 180 pixels" "^Print size: 1.0 x 0.8 cm at 600 dpi"
refuse "rendering size range" 2 "Width must be between 50 and 10000 pixels." run set "$p" "Rendering Size=10001x900"
refuse "resolution range" 2 "Resolution must be between 10 and 9600 dpi." run set "$p" "Resolution=0"
refuse "no extension" 2 "the picture formats are" run render "$p" -o "$work/cover"
declare -A head=([png]=89504e470d0a1a0a [jpg]=ffd8 [bmp]=424d [pcx]=0a)
for ext in png jpg bmp pcx; do
  quality=(); [[ $ext == jpg ]] && quality=(--quality 40)
  check "render $ext at 600 dpi" run -q render "$p" -o "$work/dpi.$ext" "${quality[@]}"
  [[ "$(magic "$work/dpi.$ext" $((${#head[$ext]} / 2)))" == "${head[$ext]}" ]] || fail "dpi.$ext is no $ext"
done
# A name whose extension is no format written is refused, not written as PNG under it.
refuse "unknown extension" 2 "the picture formats are .png, .bmp, .jpg, .jpeg and .pcx" run render "$p" -o "$work/cover.gif"
refuse "unknown extension v1" 2 "the picture formats are" run render "$p" -o "$work/cover.v1"
[[ ! -e "$work/cover.gif" && ! -e "$work/cover.v1" && ! -e "$work/cover" ]] || fail "a refused extension wrote a file"
grep -q "JPEGQuality=40" "$work/data/internal/vtprof.ini" || fail "JPEG quality not remembered"
if [[ -x /usr/bin/identify ]]; then
  for ext in png jpg bmp pcx; do
    size="$(/usr/bin/identify -format '%w %h' "$work/dpi.$ext" 2>/dev/null)"
    [[ "$size" == "240 180" ]] || fail "dpi.$ext is $size, not 240 x 180"
    # identify reports PNG and BMP resolutions per centimetre: 23622 / 100 = 236.22.
    dpi="$(/usr/bin/identify -units PixelsPerInch -format '%x %y' "$work/dpi.$ext" 2>/dev/null)"
    case "$dpi" in
      "600 600"|600*" "600*|599.9*" "599.9*) ;;
      *) fail "dpi.$ext reads $dpi, not 600 dots per inch" ;;
    esac
  done
fi

# Cut-outs: PNG with an alpha channel, transparent corners and an opaque product.
check "new plain" run -q new "VHS Box" -o "$work/plain.vtp"
check "render transparent" run -q render "$work/plain.vtp" -o "$work/cut.png" --transparent --threads 2
refuse "transparent needs png" 2 "--transparent needs a PNG file" run render "$p" -o "$work/cut.jpg" --transparent
[[ ! -e "$work/cut.jpg" ]] || fail "a refused cut-out wrote a file"
if [[ -x /usr/bin/convert ]]; then
  corners="$(/usr/bin/convert "$work/cut.png" -alpha extract -format '%[fx:p[0,0]] %[fx:p[w-1,0]] %[fx:p[0,h-1]] %[fx:p[w-1,h-1]] %[fx:maxima]' info: 2>/dev/null)"
  [[ "$corners" == "0 0 0 0 1" ]] || fail "cut-out alpha (corners, maximum): $corners"
fi

# Ctrl+C cancels a long render and leaves no file behind: the signal comes once
# the model is being drawn, which at 8000 x 8000 and magnification 8 takes seconds.
check "new large" run -q new "VHS Box" --size 8000x8000 --magnification 8 -o "$work/large.vtp"
"$cli" --data-dir "$work/data" render "$work/large.vtp" -o "$work/large.png" >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 600); do grep -q "Rendering Model" "$work/err" && break; sleep 0.1; done
kill -INT "$pid" 2>/dev/null
wait "$pid"; rc=$?
if [[ $rc -ne 1 ]] || ! grep -q "cancelled" "$work/err"; then fail "Ctrl+C: exit $rc"; cat "$work/err"; fi
ls "$work" | grep -q "^large.png" && { fail "a cancelled render left a file"; ls "$work"; }

# Failures: one line each, nothing written.
refuse "render missing project" 1 "" run render "$work/none.vtp" -o "$work/none.png"
printf 'not a project at all' >"$work/junk.vtp"
refuse "render corrupt project" 1 "" run render "$work/junk.vtp" -o "$work/junk.png"
[[ ! -e "$work/none.png" && ! -e "$work/junk.png" ]] || fail "a failed render wrote a file"
refuse "render into missing folder" 1 "Error rendering to $work/no/such/dir/x.png" run -q render "$p" -o "$work/no/such/dir/x.png"
refuse "quality range" 2 "JPEG Quality must be between 0 and 100." run render "$p" -o "$work/q.jpg" --quality 101
refuse "fixed dimension" 2 "Width is fixed at 103 for this model." run new "VHS Box" --width 50 -o "$work/w.vtp"
refuse "width not applicable" 2 "Width does not apply to this model." run new "CD-ROM" --width 10 -o "$work/w.vtp"
refuse "magnification range" 2 "Magnification must be between 1 and 16." run new "VHS Box" --magnification 17 -o "$work/w.vtp"
refuse "editable dimension range" 2 "Depth must be between 1 and 300." run new "Software Box" --depth 301 -o "$work/w.vtp"
refuse "render size range" 2 "Width must be between 50 and 10000 pixels." run new "VHS Box" --size 20x400 -o "$work/w.vtp"
refuse "unknown model" 2 "no model named" run new "Teapot" -o "$work/w.vtp"
[[ ! -e "$work/w.vtp" ]] || fail "a refused new wrote a file"
refuse "unusable data folder" 1 "can not be created" "$cli" --data-dir /proc/no-such-root new "VHS Box" -o "$work/w.vtp"
refuse "usage" 2 "usage" run render
refuse "unknown command" 2 "unknown command" run frobnicate

# An editable dimension is taken; a book gets its page edges.
check "new software box 80 deep" run -q new "Software Box" --depth 80 --size 300x200 -o "$work/sw.vtp"
check "info software box" run info "$work/sw.vtp"
expect "depth taken" "^Dimensions: 202 x 261 x 80 mm"
check "the fixed value itself" run -q new "VHS Box" --width 103 --magnification 3 -o "$work/fixed.vtp"
check "info magnification" run info "$work/fixed.vtp"
expect "magnification stored" "^Rendering: 400 x 400 pixels, magnification 3"
check "new book with cd" run -q new "bkc/Text Book" -o "$work/book.vtp"
check "new floppy disk" run -q new "3.5\" Floppy Disk" -o "$work/floppy.vtp"
check "render floppy disk" run -q render "$work/floppy.vtp" -o "$work/floppy.png"
check "render book with cd" run -q render "$work/book.vtp" -o "$work/book.png"

# The sample project is built by the commands themselves.
check "demo" bash "$(dirname "$0")/../../scripts/demo" "$cli" "$work/demo.png" "$VT_TEST_DATA_FOLDER"
[[ "$(magic "$work/demo.png" 8)" == "89504e470d0a1a0a" ]] || fail "demo.png is no PNG"

finish commands
