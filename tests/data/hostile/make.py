#!/usr/bin/env python3
"""Writes the hostile files of this folder and index.txt from the formats'
structures: tiny files that claim huge pictures, chunks that claim gigabytes,
JPEGs whose data ends early, runaway run-length runs, and counts and offsets
that lie. Each index line: file, class of attack, words the refusal holds (tabs).
Run in this folder: python3 make.py"""
import struct
import zlib

le16 = lambda v: struct.pack('<H', v)
le32 = lambda v: struct.pack('<I', v & 0xFFFFFFFF)
be16 = lambda v: struct.pack('>H', v)
be32 = lambda v: struct.pack('>I', v)
TOO_LARGE = 'Picture is too large: '
index = []


# The file is named after the entry, with _ for each space.
def put(name, kind, data, refusal):
    name = name.replace(' ', '_')
    with open(name, 'wb') as f:
        f.write(data)
    index.append('%s\t%s\t%s' % (name, kind, refusal))


# BMP: 14-byte file header, 40-byte info header (72 dpi), then `after`.
def bmp(w, h, bits, compression, colours, offset, after=b''):
    return (le16(0x4D42) + le32(0) + le16(0) + le16(0) + le32(offset) + le32(40) + le32(w) + le32(h)
            + le16(1) + le16(bits) + le32(compression) + le32(0) + le32(2835) + le32(2835)
            + le32(colours) + le32(0) + after)


# PCX: 128-byte header, then `data`.
def pcx(x_max, y_max, bits, planes, bytes_per_line, data):
    head = (bytes([10, 5, 1, bits]) + le16(0) + le16(0) + le16(x_max) + le16(y_max) + le16(72) + le16(72)
            + bytes(49) + bytes([planes]) + le16(bytes_per_line) + le16(1))
    return head + bytes(128 - len(head)) + data


# PNG: a chunk whose length field says `length`; the CRC only when asked.
def chunk(kind, data, length=None, crc=True):
    body = kind.encode() + data
    return be32(len(data) if length is None else length) + body + (be32(zlib.crc32(body)) if crc else b'')


def png(w, h, depth, colour_type, *chunks):
    ihdr = chunk('IHDR', be32(w) + be32(h) + bytes([depth, colour_type, 0, 0, 0]))
    return b'\x89PNG\r\n\x1a\n' + ihdr + b''.join(chunks)


FEW_IDAT = chunk('IDAT', bytes([0x78, 0x9C, 0x62, 0x60, 0x18, 0x05, 0xA3, 0x60]))


# JPEG: quantisation table 0 of all ones; frame `marker` (C0 baseline, C2
# progressive, CA progressive arithmetic), every component 1 x 1 with table 0;
# Huffman tables 0 each with the one symbol 0 (a 1-bit code); a scan over all
# components with spectral range ss..se; then `data`.
def segment(marker, data):
    return be16(marker) + be16(len(data) + 2) + data


def jpeg(marker, w, h, comps, ss, se, data, huffman=True):
    out = be16(0xFFD8) + segment(0xFFDB, bytes([0]) + bytes([1]) * 64)
    out += segment(marker, bytes([8]) + be16(h) + be16(w) + bytes([comps])
                   + b''.join(bytes([i, 0x11, 0]) for i in range(1, comps + 1)))
    if huffman:
        table = bytes([1]) + bytes(15) + bytes([0])
        out += segment(0xFFC4, bytes([0x00]) + table + bytes([0x10]) + table)
    out += segment(0xFFDA, bytes([comps]) + b''.join(bytes([i, 0]) for i in range(1, comps + 1)) + bytes([ss, se, 0]))
    return out + data


EOI = be16(0xFFD9)


# TIFF: little-endian, one directory of nine entries, one strip of 8-bit RGB
# holding `data`; the strip may claim more bytes and start anywhere.
def tiff(w, h, compression, data, strip_bytes=0, strip_offset=0):
    bits_at = 8 + 2 + 9 * 12 + 4
    entries = [(256, 4, 1, w), (257, 4, 1, h), (258, 3, 3, bits_at), (259, 3, 1, compression), (262, 3, 1, 2),
               (273, 4, 1, strip_offset or bits_at + 6), (277, 3, 1, 3), (278, 4, 1, h),
               (279, 4, 1, strip_bytes or len(data))]
    out = b'II' + le16(42) + le32(8) + le16(len(entries))
    out += b''.join(le16(t) + le16(k) + le32(n) + le32(v) for t, k, n, v in entries)
    return out + le32(0) + le16(8) * 3 + data


put('bmp 20000 x 19000.bmp', 'huge size', bmp(20000, 19000, 24, 0, 0, 54), TOO_LARGE + '20000 x 19000 pixels')
put('bmp 16000 x 16000 without rows.bmp', 'huge size', bmp(16000, 16000, 24, 0, 0, 54, bytes(4)),
    'BMP file is truncated')
palette = bytes(256 * 4)
put('bmp RLE8 16000 x 16000 ending at once.bmp', 'runaway RLE', bmp(16000, 16000, 8, 1, 0, 1078, palette + b'\0\1'),
    'BMP file is truncated')
# 255-pixel runs on a 100-pixel row are clipped there; most rows stay unwritten.
put('bmp RLE8 runs past the row.bmp', 'runaway RLE', bmp(100, 100, 8, 1, 0, 1078, palette + b'\xff\x07' * 64),
    'BMP file is truncated')
put('bmp RLE8 delta past the picture.bmp', 'runaway RLE', bmp(300, 300, 8, 1, 0, 1078, palette + b'\0\2\xff\xff' * 64),
    'BMP RLE data runs past the image')
put('bmp bits offset past the end.bmp', 'lying counts', bmp(16, 16, 24, 0, 0, 0xFFFFFF00), 'BMP file is truncated')
put('bmp 2^31 palette colours.bmp', 'lying counts', bmp(16, 16, 8, 0, 0x7FFFFFFF, 54, bytes(2048)),
    'palette has more colours')

put('pcx 65536 x 65536.pcx', 'huge size', pcx(65535, 65535, 8, 1, 65535, b'\xc1\0'), TOO_LARGE + '65536 x 65536 pixels')
put('pcx 16000 x 16000 with 4 bytes.pcx', 'huge size', pcx(15999, 15999, 8, 3, 16000, b'\xff\0\xff\0'), 'corrupted PCX')
put('pcx 65535 bytes per line.pcx', 'lying counts', pcx(0, 59999, 8, 3, 65535, b'\xff\0'), 'corrupted PCX')
put('pcx run past the picture.pcx', 'runaway RLE', pcx(3, 1, 8, 1, 4, b'\xff\x07\xff\x07'),
    'repeat count spans end of image')

put('png 20000 x 19000.png', 'huge size', png(20000, 19000, 8, 2, FEW_IDAT), TOO_LARGE + '20000 x 19000 pixels')
put('png 1-bit 30000 x 30000.png', 'huge size', png(30000, 30000, 1, 0, FEW_IDAT), TOO_LARGE + '30000 x 30000 pixels')
put('png 2-bit 16000 x 16000 with 8 bytes of data.png', 'huge size', png(16000, 16000, 2, 0, FEW_IDAT),
    'PNG file is truncated')
put('png RGB 10000 x 10000 with 8 bytes of data.png', 'huge size', png(10000, 10000, 8, 2, FEW_IDAT),
    'PNG file is truncated')
for name, kind, data in [('text chunk', 'tEXt', b'Com\0x'), ('compressed text', 'zTXt', b'C\0\0\x78\x9c'),
                         ('colour profile', 'iCCP', b'P\0\0\x78\x9c'), ('private chunk', 'vtXx', b'\1\2\3')]:
    put('png %s claiming 2 GB.png' % name, 'huge chunk', png(16, 16, 8, 2, chunk(kind, data, 0x7FFFFFF0, False)),
        'Read Error')
put('png 20000 text chunks and no data.png', 'huge chunk', png(16, 16, 8, 2, chunk('tEXt', b'k\0v') * 20000),
    'Read Error')

put('jpeg 20000 x 19000.jpg', 'huge size', jpeg(0xFFC0, 20000, 19000, 3, 0, 63, bytes(16)),
    TOO_LARGE + '20000 x 19000 pixels')
put('jpeg progressive 18000 x 18000.jpg', 'huge size', jpeg(0xFFC2, 18000, 18000, 3, 0, 0, bytes(16)),
    TOO_LARGE + '18000 x 18000 pixels')
put('jpeg baseline 16000 x 16000 cut short.jpg', 'truncated JPEG', jpeg(0xFFC0, 16000, 16000, 1, 0, 63, bytes(64)),
    'JPEG file is truncated')
put('jpeg progressive 16000 x 16000 cut short.jpg', 'truncated JPEG', jpeg(0xFFC2, 16000, 16000, 3, 0, 0, bytes(64)),
    'JPEG file is truncated')
# 1024 x 1024: 16384 blocks need 2048 bytes at least; the padding after the end
# marker passes that check, and the scan itself ends at the marker.
put('jpeg baseline whose scan ends at the end marker.jpg', 'truncated JPEG',
    jpeg(0xFFC0, 1024, 1024, 1, 0, 63, bytes(8) + EOI + bytes(4096)), 'JPEG file is damaged')
put('jpeg progressive whose scan ends at the end marker.jpg', 'truncated JPEG',
    jpeg(0xFFC2, 1024, 1024, 3, 0, 0, bytes(8) + EOI + bytes(8192)), 'JPEG file is damaged')
put('jpeg baseline without its end marker.jpg', 'truncated JPEG', jpeg(0xFFC0, 64, 64, 1, 0, 63, bytes(32)),
    'JPEG file is truncated')
# Arithmetic coding has no floor of bits per block; the coefficients of a
# progressive 16000 x 16000 three-component picture (1.5 GB) are over the
# decoder's memory limit.
put('jpeg arithmetic progressive 16000 x 16000.jpg', 'huge size',
    jpeg(0xFFCA, 16000, 16000, 3, 0, 0, EOI, huffman=False), TOO_LARGE + '16000 x 16000 pixels')

put('tiff 20000 x 19000.tif', 'huge size', tiff(20000, 19000, 1, bytes(4)), TOO_LARGE + '20000 x 19000 pixels')
put('tiff LZW 16000 x 16000 with 8 bytes of data.tif', 'huge size', tiff(16000, 16000, 5, b'\x80' + bytes(7)),
    'TIFF file is truncated')
put('tiff Deflate 10000 x 10000 with 8 bytes of data.tif', 'huge size', tiff(10000, 10000, 8, b'\x78\x9c' + bytes(6)),
    'TIFF file is truncated')
put('tiff strip of 300 MB in a tiny file.tif', 'lying counts', tiff(10000, 10000, 1, b'\1\2\3\4', 300000000),
    'TIFF file is truncated')
put('tiff strip offset past the end.tif', 'lying counts', tiff(100, 100, 1, b'\1\2\3\4', 30000, 0xFFFFFF00),
    'TIFF file is truncated')
# Refusals of each header field and cut-off data, each with its whole message.
# A bare 40-byte BMP info header (a picture without the file header, as the
# clipboard holds it; 72 dpi).
def info(w, h, bits, compression=0, colours=0):
    return (le32(40) + le32(w) + le32(h) + le16(1) + le16(bits) + le32(compression) + le32(0) + le32(2835) * 2
            + le32(colours) + le32(0))

# Broken headers, refused with any message: a PNG whose header checksum is
# wrong, one whose signature is not, one cut in its data; TIFFs that are not
# TIFFs or whose directory lies past the end; a JPEG cut in its tables, and
# garbage after a JPEG's start marker.
GOOD_PNG = png(8, 8, 8, 2, chunk('IDAT', zlib.compress(bytes(1 + 8 * 3) * 8)), chunk('IEND', b''))
put('png whose header checksum is wrong.png', 'broken header', GOOD_PNG[:29] + bytes([GOOD_PNG[29] ^ 0xFF]) + GOOD_PNG[30:], '')
put('png of another signature.png', 'broken header', GOOD_PNG[:1] + b'X' + GOOD_PNG[2:], '')
put('png cut in its data.png', 'cut short', GOOD_PNG[:len(GOOD_PNG) // 2], 'Read Error')
put('tiff of another signature.tif', 'broken header', b'II' + le16(41) + bytes(40), '')
put('tiff signature only.tif', 'broken header', b'MM' + be16(42), '')
put('tiff directory past the end.tif', 'broken header', b'II' + le16(42) + le32(0x10000), '')
put('jpeg cut in its tables.jpg', 'broken header', jpeg(0xFFC0, 40, 40, 3, 0, 63, bytes(64))[:100], '')
put('jpeg garbage after its start.jpg', 'broken header', be16(0xFFD8) + bytes([0x5A]) * 298, '')


def with_file_header(dib, offset):
    return le16(0x4D42) + le32(14 + len(dib)) + le16(0) + le16(0) + le32(offset) + dib


def rle8(data):  # 6 x 3, one palette colour
    return info(6, 3, 8, 1, 1) + bytes(4) + bytes(data)


LARGEST = '; the largest picture is 16384 x 16384 pixels (268435456 pixels in any shape, at most 65535 wide or high)'
for name, kind, data, refusal in [
        ('5 bytes', 'bad header', bytes([40, 0, 0, 0, 1]), 'Error reading BMP info'),
        ('header size 30', 'bad header', le32(30) + bytes(60), 'Error reading BMP info'),
        ('cut info header', 'bad header', with_file_header(info(2, 2, 24), 54)[:34], 'Error reading BMP info'),
        ('width 0', 'bad header', info(0, 2, 24) + bytes(16), 'Error reading BMP info'),
        ('height 0', 'bad header', info(2, 0, 24) + bytes(16), 'Error reading BMP info'),
        ('width 70000', 'huge size', with_file_header(info(70000, 1, 24) + bytes(16), 54),
         TOO_LARGE + '70000 x 1 pixels' + LARGEST),
        ('height -2^31', 'huge size', with_file_header(info(1, 0x80000000, 24), 54),
         TOO_LARGE + '1 x 2147483648 pixels' + LARGEST),
        ('2 bits', 'bad header', info(2, 2, 2) + bytes(16), 'compression type not supported'),
        ('0 bits', 'bad header', info(2, 2, 0) + bytes(16), 'compression type not supported'),
        ('8 bits RLE4', 'bad header', info(2, 2, 8, 2) + bytes(1100), 'unknown compression'),
        ('24 bits RLE8', 'bad header', info(2, 2, 24, 1) + bytes(16), 'unknown compression'),
        ('16 bits compression 7', 'bad header', info(2, 2, 16, 7) + bytes(16), 'unknown compression'),
        ('300 colours for 8 bits', 'lying counts', info(2, 1, 8, 0, 300) + bytes(1300),
         'BMP palette has more colours than the bit count allows'),
        ('palette cut short', 'cut short', info(2, 1, 8, 0, 4) + bytes([1]) * 8, 'BMP file is truncated'),
        ('rows cut short', 'cut short', info(4, 4, 24) + bytes(41), 'BMP file is truncated'),
        ('RLE8 delta past the row', 'runaway RLE', rle8([0, 2, 9, 0, 0, 1]), 'BMP RLE data runs past the image'),
        ('RLE8 delta onto the width', 'runaway RLE', rle8([0, 2, 6, 0, 0, 1]), 'BMP RLE data runs past the image'),
        ('RLE8 delta onto the height', 'runaway RLE', rle8([0, 2, 0, 3, 0, 1]), 'BMP RLE data runs past the image'),
        ('RLE8 data ends early', 'cut short', rle8([3, 5]), 'BMP file is truncated'),
        ('RLE8 absolute run cut short', 'cut short', rle8([0, 5, 1, 2]), 'BMP file is truncated')]:
    put('bmp ' + name + '.bmp', kind, data, refusal)


# A PCX header at 300 x 200 dpi whose 16-colour map holds (16 i, i, 255 - i).
def pcx_header(w, h, bits, planes, bytes_per_line, manufacturer=10, encoding=1):
    head = (bytes([manufacturer, 5, encoding, bits]) + le16(0) + le16(0) + le16(w - 1) + le16(h - 1) + le16(300)
            + le16(200) + b''.join(bytes([i * 16, i, 255 - i]) for i in range(16)) + bytes([0, planes])
            + le16(bytes_per_line) + le16(1))
    return head + bytes(128 - len(head))


reversed_window = bytearray(pcx_header(4, 1, 8, 1, 4) + bytes(4))
reversed_window[4] = 9  # Xmin 9 > Xmax 3
for name, kind, data, refusal in [
        ('header cut short', 'cut short', pcx_header(2, 2, 8, 1, 2)[:100], "Can't read PCX image"),
        ('manufacturer 11', 'bad header', pcx_header(2, 1, 8, 1, 2, 11) + b'\1\2', 'Error: Not a PCX file'),
        ('encoding 0', 'bad header', pcx_header(2, 1, 8, 1, 2, 10, 0) + b'\1\2', 'PCX file has unknown encoding scheme'),
        ('5 planes', 'bad header', pcx_header(2, 1, 1, 5, 2) + bytes(10), "Can't handle image with more than 4 planes"),
        ('8 bits in 2 planes', 'bad header', pcx_header(2, 1, 8, 2, 2) + bytes(10),
         "Can't handle more than 1 bit per pixel"),
        ('4 bits in 2 planes', 'bad header', pcx_header(2, 1, 4, 2, 2) + bytes(10),
         "Can't handle packed pixels with more than 1 plane."),
        ('bytes per line too short', 'lying counts', pcx_header(8, 1, 8, 1, 4) + bytes(10), 'corrupted PCX'),
        ('Xmin beyond Xmax', 'lying counts', bytes(reversed_window), 'corrupted PCX'),
        ('data ends early', 'cut short', pcx_header(4, 2, 8, 3, 4) + b'\1\2\3', 'corrupted PCX'),
        ('run value missing', 'cut short', pcx_header(4, 1, 8, 3, 4) + b'\xc4', 'corrupted PCX'),
        ('palette marker not 12', 'bad header', pcx_header(4, 1, 8, 1, 4) + b'\1\2\3\4\x0d' + bytes(768),
         'bad color map signature'),
        ('palette cut short', 'cut short', pcx_header(2, 1, 8, 1, 2) + b'\1\2\x0c' + bytes(100), 'corrupted PCX')]:
    put('pcx ' + name + '.pcx', kind, data, refusal)

# Run-length data justifies at most 4096 pixels a byte: "end of bitmap" and
# two bytes of slack justify a 128 x 128 picture and not one row more (not in
# the index: the first loads).
for h in (128, 129):
    with open('bmp_RLE8_128_x_%d_ending_at_once.bmp' % h, 'wb') as f:
        f.write(bmp(128, h, 8, 1, 0, 1078, palette + b'\0\1'))


# Projects: little-endian words, one-byte-length strings.
def words(*values):
    return b''.join(le32(v) for v in values)


def text(s):
    return bytes([len(s)]) + s.encode()


# Signature and versions (the oldest reader that may read the file, the writer's version text).
def signature(oldest, writer):
    return words(0x89878820, 0x89949220, 0xC00E0000, 0xFAC10740, oldest) + text('2.00') + words(210) + text(writer)


DEFAULTS = words(0x15031969, 0x0000FF, 0xFF0000, 0, 0x00FFFF, 0, 0, 0, 0) + text('') + words(48, 0, 0x09041940)
HEAD = signature(200, '2.10') + DEFAULTS
EMPTY_LAYOUT = words(0x54A14145, 0, 0x956421A7)
EMPTY_SETTINGS = words(0xA1141B01) + words(0x4A74A61C, 0, 0xCA4C410E) * 3 + words(0x04A61C11)


def product(sides):
    return text('BOX') + EMPTY_SETTINGS + words(0xCA5A407A, sides)


# A side whose first picture block begins: pixel flag, width, height.
def side_picture(key, flag, w, h):
    return words(0xFEEDBAC7) + text(key) + words(0x87654321) + EMPTY_SETTINGS + words(1, 0, 0x12345678, flag, w, h)


END_SIDE = words(0x90ABCDEF, 0xFEDCBA90, 0x7CABDEEF)
DAMAGED = 'This project file is damaged or incomplete.'
PROJECT_TOO_LARGE = 'This project file holds a picture that is too large: '
put('project blank pictures 18000 x 18000.vtp', 'huge size',
    HEAD + EMPTY_LAYOUT + product(4) + b''.join(side_picture(k, 0, 18000, 18000) + END_SIDE for k in 'yaxz')
    + words(0x51484504), PROJECT_TOO_LARGE + '18000 x 18000 pixels')
put('project coded picture 20000 x 19000.vtp', 'huge size',
    HEAD + EMPTY_LAYOUT + product(1) + side_picture('F', 1, 20000, 19000) + bytes([14, 1, 2, 3]),
    PROJECT_TOO_LARGE + '20000 x 19000 pixels')
# Rows need one byte each at least: 100 bytes cannot hold 16000 rows.
put('project coded picture 16000 x 16000 with 100 bytes.vtp', 'huge size',
    HEAD + EMPTY_LAYOUT + product(1) + side_picture('F', 1, 16000, 16000) + bytes([15]) * 100, DAMAGED)
put('project 2^30 sides.vtp', 'lying counts', HEAD + EMPTY_LAYOUT + product(0x40000000), DAMAGED)
put('project object of 4 GB.vtp', 'lying counts',
    HEAD + words(0x54A14145, 1) + text('F') + words(0x51DE51DE, 1, 0x5100EB14, 0xFFFFFFF0), DAMAGED)
# A string prefix 0xFF, 0xFFFF, then a 32-bit length of 4 GB.
put('project product name of 4 GB.vtp', 'lying counts', HEAD + EMPTY_LAYOUT + b'\xff\xff\xff' + le32(0xFFFFFFF0), DAMAGED)
put('project 2^32 layout entries.vtp', 'lying counts', HEAD + words(0x54A14145, 0xFFFFFFFF), DAMAGED)

# Refusals of the file as a whole, with the whole message.
TOO_NEW = signature(201, '3.05') + DEFAULTS + EMPTY_LAYOUT
NOT_OURS = 'This file is not a Vantorel project.'
put('project too new.vtp', 'bad header', TOO_NEW, 'This file can only be read by Vantorel version 3.05 or later.')
put('project of another program.vtp', 'bad header', words(0x89878820, 0x89949220, 0xC00E0001, 0xFAC10740), NOT_OURS)
put('project empty.vtp', 'cut short', b'', NOT_OURS)
put('project short signature.vtp', 'cut short', TOO_NEW[:10], NOT_OURS)
put('project cut in the versions.vtp', 'cut short', TOO_NEW[:22], DAMAGED)
put('project of an unknown kind.vtp', 'bad header', HEAD + EMPTY_LAYOUT + text('TEAPOT') + EMPTY_SETTINGS,
    'This project holds a product of an unknown kind ("TEAPOT").')
put('project rows cut short.vtp', 'cut short',
    HEAD + EMPTY_LAYOUT + product(1) + side_picture('F', 1, 3, 4) + bytes([14, 1, 2, 3, 15]), DAMAGED)

with open('index.txt', 'w') as f:
    f.write('\n'.join(index) + '\n')
