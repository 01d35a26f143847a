#!/usr/bin/env bash
# vantorel-cli export: the print PDF (page size from the box's net, bleed and
# marks; fonts embedded; the dieline's layer and spot colour) and the GLB
# model (its container and accessors read back, the box's size in metres).
. "$(dirname "$0")/support.bash" "$1"
run() { "$cli" --data-dir "$work/data" -q "$@"; }
copy_data_folder

p="$work/box.vtp"
run new "VHS Box" -o "$p" && run face "$p" Front --color red && run face "$p" Top --color blue &&
  run add "$p" Front text "Hello" --size 40 --at 20,300 || fail "the box could not be made"

# VHS Box 103 x 190 x 28 mm with its back unfolds to 103 + 28 + 103 + 28 by 28 + 190 + 28;
# bleed 3 and the marks' 10 on every side.
run export "$p" -o "$work/art.pdf" --bleed 3 --marks || fail "export pdf"
expected=$(awk 'BEGIN { printf "%.3f x %.3f", (262 + 26) * 72 / 25.4, (246 + 26) * 72 / 25.4 }')
size=$(pdfinfo "$work/art.pdf" | awk '/^Page size:/ { printf "%.3f x %.3f", $3, $5 }')
[[ "$size" == "$expected" ]] || fail "page size $size, expected $expected"
pdffonts "$work/art.pdf" | awk 'NR > 2 && $(NF-4) == "yes" && $(NF-3) == "yes" { ok = 1 } END { exit !ok }' ||
  { fail "no embedded subset font"; pdffonts "$work/art.pdf"; }
grep -aEq "/Separation ?/Dieline" "$work/art.pdf" && grep -aq "/Type ?/OCG" -E "$work/art.pdf" ||
  fail "the dieline has no spot colour or layer"

# A shape with a look of its own stays vector: the PDF holds no more pictures than before.
run add "$p" Front rect 10,10 200,100 --line-width 2 --dash dash --opacity 60 && run export "$p" -o "$work/styled.pdf" ||
  fail "export a styled shape"
[[ $(pdfimages -list "$work/styled.pdf" | wc -l) == $(pdfimages -list "$work/art.pdf" | wc -l) ]] ||
  fail "a styled shape became a picture in the PDF"
# So does a barcode, and it scans from the printed page.
run add "$p" Front barcode 400638133393 --kind EAN-13 --at 100,700 --size 300x150 && run export "$p" -o "$work/code.pdf" ||
  fail "export a barcode"
[[ $(pdfimages -list "$work/code.pdf" | wc -l) == $(pdfimages -list "$work/art.pdf" | wc -l) ]] ||
  fail "a barcode became a picture in the PDF"
if command -v zbarimg > /dev/null; then
  pdftoppm -r 300 -png "$work/code.pdf" "$work/code" &&
    zbarimg -q --raw "$work"/code*.png | grep -qx 4006381333931 || fail "the barcode in the PDF does not scan"
fi

run set "$p" Finish=Gloss && run export "$p" -o "$work/box.glb" --texture-size 256 || fail "export glb"
python3 - "$work/box.glb" 0.103 0.190 0.028 256 <<'PY' || fail "the GLB does not read back"
import json, struct, sys
data = open(sys.argv[1], "rb").read()
magic, version, length = struct.unpack_from("<4sII", data, 0)
assert magic == b"glTF" and version == 2 and length == len(data), (magic, version, length)
jlen, jtype = struct.unpack_from("<I4s", data, 12)
assert jtype == b"JSON"
doc = json.loads(data[20:20 + jlen])
blen, btype = struct.unpack_from("<I4s", data, 20 + jlen)
assert btype == b"BIN\0" and blen == doc["buffers"][0]["byteLength"] and 28 + jlen + blen == len(data)
binary = data[28 + jlen:]
def read(index, width, kind):
    acc = doc["accessors"][index]; view = doc["bufferViews"][acc["bufferView"]]
    n = acc["count"] * width
    assert view["byteLength"] == n * 4
    return acc, struct.unpack_from("<%d%s" % (n, kind), binary, view["byteOffset"])
lo, hi = [1e9] * 3, [-1e9] * 3
for prim in doc["meshes"][0]["primitives"]:
    acc, pos = read(prim["attributes"]["POSITION"], 3, "f")
    for k in range(3):
        values = pos[k::3]
        assert abs(min(values) - acc["min"][k]) < 1e-6 and abs(max(values) - acc["max"][k]) < 1e-6
        lo[k], hi[k] = min(lo[k], min(values)), max(hi[k], max(values))
    _, idx = read(prim["indices"], 1, "I")
    assert len(idx) % 3 == 0 and max(idx) < acc["count"]
for k, want in enumerate(map(float, sys.argv[2:5])):
    assert abs(hi[k] - lo[k] - want) < 1e-5, (k, hi[k] - lo[k], want)
for material in doc["materials"]:
    want = 0.2 if material["name"].startswith("Face") else 0.3  # gloss faces; the metal parts as before
    assert abs(material["pbrMetallicRoughness"]["roughnessFactor"] - want) < 1e-6, material
for image in doc["images"]:
    view = doc["bufferViews"][image["bufferView"]]
    w, h = struct.unpack_from(">II", binary, view["byteOffset"] + 16)
    assert max(w, h) <= int(sys.argv[5]) and binary[view["byteOffset"] + 1:view["byteOffset"] + 4] == b"PNG"
PY

grep -aq '"Face B"' "$work/box.glb" || fail "the GLB has no printed back"

# A project saved before the back face gains it when a command names it.
o="$work/old.vtp"
cp "$(dirname "$0")/../data/stored/box_vhs_reflection.vtp" "$o" && run export "$o" -o "$work/old1.pdf" &&
  run add "$o" Back barcode 400638133393 --kind EAN-13 && run export "$o" -o "$work/old2.pdf" ||
  fail "an older project's back"
width() { pdfinfo "$1" | awk '/^Page size:/ { printf "%.0f", $3 * 25.4 / 72 }'; }
[[ $(width "$work/old2.pdf") -eq $(($(width "$work/old1.pdf") + 103)) ]] || fail "the added back is not in the net"

# A batch exports outputs ending in .pdf or .glb, with the job's overrides.
printf 'output,set:Y Rotation\nb/a.pdf,40\nb/a.glb,40\n' >"$work/jobs.csv"
mkdir -p "$work/b" && run batch "$work/jobs.csv" --template "$p" >/dev/null || fail "batch export"
pdfinfo "$work/b/a.pdf" >/dev/null 2>&1 && [[ $(head -c 4 "$work/b/a.glb") == glTF ]] || fail "batch outputs"

# A face picture from an SVG stays vector: the project keeps the file itself
# (no pixels), reads back, and the PDF prints the artwork's text as text.
v="$work/vector.vtp"
printf '<svg xmlns="http://www.w3.org/2000/svg" width="200" height="300"><rect width="200" height="300" fill="#2040a0"/><text x="20" y="40" font-size="30" fill="#fff">Vectorcover</text></svg>' >"$work/art.svg"
run new "VHS Box" -o "$v" && run face "$v" Front --picture "$work/art.svg" --fit centre || fail "an SVG face picture"
grep -aq "Vectorcover" "$v" && (($(stat -c %s "$v") < 20000)) || fail "the project does not keep the SVG in place of pixels"
run face "$v" Top --color blue && run export "$v" -o "$work/vector.pdf" || fail "the project with an SVG face does not read back"
pdftotext "$work/vector.pdf" - | grep -q Vectorcover || fail "the SVG's text is not text in the PDF"
run face "$v" Front --color red --page 2 2>/dev/null; [[ $? -eq 2 ]] || fail "--page without a picture was taken"

# Refusals: nothing written.
for args in "-o $work/x.svg" "-o $work/x.glb --bleed 2" "-o $work/x.pdf --bleed 99" "-o $work/x.glb --texture-size 9"; do
  run export "$p" $args 2>/dev/null; [[ $? -eq 2 ]] || fail "export $args was not refused"
done
ls "$work"/x.* >/dev/null 2>&1 && fail "a refused export wrote a file"

finish export
