#!/usr/bin/env bash
# Writes the pictures of this folder with ImageMagick's convert from the two
# hand-written sources, and beside each picture the pixels convert itself reads
# from it (<picture>.rgb: red, green, blue a pixel, top row first). Run in this
# folder: bash make.sh
set -eu
# small.ppm: 5 x 3, fifteen colours; the rows of 15 bytes are padded in BMP.
printf 'P3\n5 3\n255\n255 0 0 0 255 0 0 0 255 10 20 30 200 100 50\n1 2 3 250 251 252 0 0 0 255 255 255 128 64 32\n77 88 99 9 8 7 60 50 40 30 20 10 0 128 255\n' >small.ppm
# ramp.ppm: 19 x 11, runs of six at the start of each row, 154 colours.
python3 -c '
print("P3\n19 11\n255")
for y in range(11):
    print(" ".join("%d %d %d" % (max(x, 5) * 13, y * 23, (max(x, 5) + y) * 7) for x in range(19)))' >ramp.ppm
while read -r out source options; do
  convert "$source" $options -define png:exclude-chunk=date,time +set date:create +set date:modify "$out"
  convert "${out#*:}" -depth 8 "RGB:${out#*:}.rgb"
done <<'LIST'
BMP3:rgb24.bmp small.ppm -type TrueColor
BMP3:mono.bmp small.ppm -monochrome
BMP3:palette4.bmp small.ppm -type Palette
BMP3:palette8.bmp ramp.ppm -type Palette -compress None
BMP3:rle8.bmp ramp.ppm -type Palette -compress RLE
BMP2:os2.bmp small.ppm -type Palette
BMP:argb32.bmp small.ppm -alpha set -define bmp:subtype=ARGB8888
PCX:rgb24.pcx small.ppm -type TrueColor
PCX:palette8.pcx ramp.ppm -type Palette
PNG24:rgb24.png small.ppm
PNG24:interlaced.png ramp.ppm -interlace PNG
PNG8:palette2.png small.ppm -colors 3 -define png:bit-depth=2
PNG:grey2.png small.ppm -colorspace Gray -define png:bit-depth=2 -define png:color-type=0
PNG:grey8.png small.ppm -colorspace Gray -define png:color-type=0
PNG:greyalpha.png small.ppm -colorspace Gray -alpha set -define png:color-type=4
TIFF:rgb24.tif ramp.ppm -compress None -define tiff:rows-per-strip=2
TIFF:onestrip.tif ramp.ppm -compress None
TIFF:lzw.tif ramp.ppm -compress LZW -define tiff:rows-per-strip=2
TIFF:rows1.tif ramp.ppm -compress LZW -define tiff:rows-per-strip=1
TIFF:deflate.tif ramp.ppm -compress Zip -define tiff:rows-per-strip=2
TIFF:packbits.tif ramp.ppm -compress RLE -define tiff:rows-per-strip=2
TIFF:planes.tif ramp.ppm -interlace Plane
TIFF:tiles.tif ramp.ppm -compress Zip -define tiff:tile-geometry=16x16
TIFF:grey8.tif ramp.ppm -colorspace Gray
TIFF:grey4.tif ramp.ppm -colorspace Gray -depth 4
TIFF:miniswhite.tif ramp.ppm -type Bilevel -depth 1 -define quantum:polarity=min-is-white
TIFF:palette8.tif ramp.ppm -type Palette
TIFF:palette4.tif ramp.ppm -colors 16 -type Palette -depth 4
LIST
# Orientation 6: the stored first row belongs on the right, the first column
# on top; the pixels are the picture as meant, turned upright by convert.
convert ramp.ppm -orient RightTop TIFF:orient6.tif
convert orient6.tif -auto-orient -depth 8 RGB:orient6.tif.rgb
# One pixel (1, 2, 3) wholly transparent: its colour stays as written.
convert small.ppm -alpha set -fill 'rgba(1,2,3,0)' -draw 'color 0,0 point' -define png:exclude-chunk=date,time PNG32:rgba.png
convert rgba.png -depth 8 RGB:rgba.png.rgb
# One colour (200, 200, 200) over 1500 x 1000 pixels in one strip: as far as
# each compression packs a picture.
for c in lzw:LZW deflate:Zip packbits:RLE; do
  convert -size 1500x1000 'xc:rgb(200,200,200)' -type TrueColor -depth 8 -compress "${c#*:}" \
    -define tiff:rows-per-strip=1000 "TIFF:flat_${c%:*}.tif"
done
