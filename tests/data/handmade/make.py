#!/usr/bin/env python3
"""Writes the hand-made BMP and PCX pictures of this folder, byte by byte from
the formats' structures (run in this folder). index.txt, written by hand,
states what each decodes to."""
import struct
import zlib


def info_header(w, h, bpp, compression=0, colors_used=0, ppm=2835):
    # 40-byte BITMAPINFOHEADER.
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, compression, 0, ppm, ppm, colors_used, 0)


def with_file_header(dib, bits_offset):
    # 14-byte file header in front of a DIB whose bits start bits_offset bytes into the file.
    return struct.pack('<HIHHI', 0x4D42, 14 + len(dib), 0, 0, bits_offset) + dib


def pcx_header(w, h, bits, planes, bytes_per_line):
    # 128 bytes: maker 10, version 5, run-length coded; resolution 300 x 200;
    # the 16-colour header palette entry i is (16 i, i, 255 - i).
    b = bytes([10, 5, 1, bits]) + struct.pack('<HHHHHH', 0, 0, w - 1, h - 1, 300, 200)
    b += bytes(v for i in range(16) for v in (i * 16, i, 255 - i))
    b += bytes([0, planes]) + struct.pack('<HH', bytes_per_line, 1)
    return b + bytes(128 - len(b))


def pcx_mono(c0, c1):
    # 1 bit, width 8, two lines (0xF0 on top, 0x0F below; 0xF0 coded as a run
    # of one), the header palette empty but for its first two entries.
    b = bytearray(pcx_header(8, 2, 1, 1, 2))
    b[16:64] = bytes(48)
    b[16:22] = bytes(c0 + c1)
    return bytes(b) + bytes([0xC1, 0xF0, 0, 0x0F, 0])


def png(w, h, depth, colour_type, rows):
    # Signature, IHDR, one IDAT of the rows (filter type 0 each), IEND.
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    ihdr = struct.pack('>IIBBBBB', w, h, depth, colour_type, 0, 0, 0)
    idat = zlib.compress(b''.join(b'\0' + bytes(r) for r in rows))
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', idat) + chunk(b'IEND', b'')


def jpeg_jfif(units, x_density, y_density):
    # A 1 x 1 grey baseline JPEG with a JFIF header: quantisation table of all
    # ones, Huffman tables each of the one symbol 0 (a 1-bit code 0); the one
    # block is DC difference category 0 then end of block, "00", padded with 1s.
    def segment(marker, data):
        return struct.pack('>HH', marker, len(data) + 2) + data
    table = bytes([1]) + bytes(15) + bytes([0])
    return (struct.pack('>H', 0xFFD8)
            + segment(0xFFE0, b'JFIF\0' + bytes([1, 1, units]) + struct.pack('>HH', x_density, y_density) + bytes(2))
            + segment(0xFFDB, bytes([0]) + bytes([1]) * 64)
            + segment(0xFFC0, bytes([8]) + struct.pack('>HH', 1, 1) + bytes([1, 1, 0x11, 0]))
            + segment(0xFFC4, bytes([0x00]) + table + bytes([0x10]) + table)
            + segment(0xFFDA, bytes([1, 1, 0, 0, 63, 0])) + bytes([0x3F]) + struct.pack('>H', 0xFFD9))


def tiff(w, h, bits, samples, photometric, data, compression=1, tile=0, extra=0):
    # Little-endian TIFF of contiguous samples (`data` top row first, 16-bit
    # samples little-endian) in one strip, or in one tile of `tile` pixels a
    # side (padded with zeros); CMYK (photometric 5) names its ink set; `extra`
    # names the kind of a fourth sample (2: unassociated alpha).
    row, pixel = w * samples * bits // 8, samples * bits // 8
    if tile:  # the rows padded with zeros to the tile's width and height
        data = b''.join(data[y * row:(y + 1) * row].ljust(tile * pixel, b'\0') for y in range(h)) + bytes(tile * pixel * (tile - h))
    if compression == 8:
        data = zlib.compress(data)
    entries = [(256, 4, 1, w), (257, 4, 1, h), (258, 3, samples, 0), (259, 3, 1, compression),
               (262, 3, 1, photometric), (277, 3, 1, samples), (284, 3, 1, 1)] + ([(332, 3, 1, 1)] if photometric == 5 else []) + ([(338, 3, 1, extra)] if extra else [])
    if tile:
        entries += [(322, 4, 1, tile), (323, 4, 1, tile), (324, 4, 1, 0), (325, 4, 1, len(data))]
    else:
        entries += [(273, 4, 1, 0), (278, 4, 1, h), (279, 4, 1, len(data))]
    n = len(entries)
    bits_at = 8 + 2 + n * 12 + 4  # the bits per sample follow the directory, then the data
    fill = {258: bits_at, 273: bits_at + 2 * samples, 324: bits_at + 2 * samples}
    entries = sorted((tag, kind, count, fill.get(tag, value)) for tag, kind, count, value in entries)
    out = b'II' + struct.pack('<HIH', 42, 8, n)
    for tag, kind, count, value in entries:
        out += struct.pack('<HHI', tag, kind, count)
        out += struct.pack('<HH', value, 0) if kind == 3 and count == 1 else struct.pack('<I', value)
    return out + struct.pack('<I', 0) + struct.pack('<%dH' % samples, *([bits] * samples)) + data


# Inks C M Y K of ten pixels, top row first.
INKS = [0, 0, 0, 0, 255, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0, 255, 30, 60, 90, 120,
        200, 100, 50, 25, 12, 240, 128, 64, 255, 0, 0, 128, 1, 2, 3, 254, 77, 77, 77, 77]

files = {
    # 2 x 2, 24 bits, no file header: rows of 6 bytes padded to 8, bottom row
    # first, pixels B G R; 3937 pixels a metre.
    'bare24.dib': info_header(2, 2, 24, 0, 0, 3937) + bytes([1, 2, 3, 4, 5, 6, 0xEE, 0xEE, 7, 8, 9, 10, 11, 12, 0xEE, 0xEE]),
    # Height -3: the rows are stored top first.
    'topdown24.dib': info_header(1, -3, 24) + bytes([1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0]),
    # 8 bits, 3 colours used, then a 6-byte gap before the bits (indices 2 0 1).
    'offset8.bmp': with_file_header(info_header(3, 1, 8, 0, 3) + bytes([10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0])
                                    + bytes([0xAB] * 6) + bytes([2, 0, 1, 0]), 14 + 40 + 12 + 6),
    # 16 bits with the default 5-5-5 masks; rows of 4 bytes.
    'rgb555.dib': info_header(2, 1, 16) + struct.pack('<HH', 0x7C00, 0x0210),
    # 5-6-5 bitfields; 3 pixels in 8 bytes.
    'rgb565.dib': info_header(3, 1, 16, 3) + struct.pack('<III', 0xF800, 0x07E0, 0x001F)
                  + struct.pack('<HHHH', 0xF800, 0x07E0, 0x0400, 0),
    # 32 bits uncompressed: B G R X.
    'rgb32.dib': info_header(1, 2, 32) + bytes([1, 2, 3, 99, 4, 5, 6, 99]),
    # 32 bits with red in the lowest byte.
    'redlow32.bmp': with_file_header(info_header(1, 1, 32, 3) + struct.pack('<III', 0xFF, 0xFF00, 0xFF0000)
                                     + bytes([10, 20, 30, 40]), 14 + 40 + 12),
    # RLE8, 6 x 3, a palette of 8 black entries:
    #   03 05 three pixels of 5 | 00 03 1 2 3 0 absolute run of 3 (padded to even)
    #   00 00 end of line | 00 02 02 01 delta right 2, up 1 -> (2, 2); row 1 stays 0
    #   02 07 two pixels of 7 | 00 01 end of bitmap
    'rle8.dib': info_header(6, 3, 8, 1, 8) + bytes(32)
                + bytes([3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 7, 0, 1]),
    # RLE4, 5 x 2: 05 12 five pixels alternating 1 and 2 | 00 00 end of line
    #   00 03 AB C0 absolute run of 3 nibbles | 02 0F two pixels alternating 0 and F | 00 01
    'rle4.dib': info_header(5, 2, 4, 2, 16) + bytes(64) + bytes([5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 2, 0x0F, 0, 1]),
    # Top-down RLE8: first line 1 1, second line 0 0.
    'rle8topdown.dib': info_header(2, -2, 8, 1, 2) + bytes(8) + bytes([2, 1, 0, 0, 2, 0, 0, 1]),
    # RLE8, 5 x 2, coded at the padded width of 8 pixels: 08 04 eight pixels of 4
    #   | 00 00 | 00 08 1..8 absolute run of 8 | 00 00 00 01
    'rle8pastrow.dib': info_header(5, 2, 8, 1, 9) + bytes(36)
                       + bytes([8, 4, 0, 0, 0, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 1]),
    # A run crossing the row end without an end of line: 07 02 / 02 09 / 00 00 / 03 06 / 00 01
    'rle8nowrap.dib': info_header(4, 2, 8, 1, 10) + bytes(40) + bytes([7, 2, 2, 9, 0, 0, 3, 6, 0, 1]),
    # RLE4, 3 x 1 at the padded width of 8 nibbles: 08 5A | 00 00 end of line,
    # then a run in the row above the picture: 04 33 | 00 01
    'rle4pastrow.dib': info_header(3, 1, 4, 2, 16) + bytes(64) + bytes([8, 0x5A, 0, 0, 4, 0x33, 0, 1]),
    # RLE4 absolute run of 7 nibbles 1..7 (4 bytes) in a 3-pixel row.
    'rle4absolute.dib': info_header(3, 1, 4, 2, 16) + bytes(64) + bytes([0, 7, 0x12, 0x34, 0x56, 0x70, 0, 1]),
    # 3 planes of 8 bits, width 2 (2 bytes a line), one line: R, G, B planes.
    'planes3.pcx': pcx_header(2, 1, 8, 3, 2) + bytes([10, 11, 20, 21, 30, 31]),
    # 4 planes of 8 bits, the fourth ignored; two lines, top first.
    'planes4.pcx': pcx_header(1, 2, 8, 4, 2) + bytes([1, 0, 2, 0, 3, 0, 99, 0, 4, 0, 5, 0, 6, 0, 99, 0]),
    # 4 planes of 1 bit, width 8: plane p holds bit p of each index (0xFF coded as a run of one).
    'bitplanes4.pcx': pcx_header(8, 1, 1, 4, 2) + bytes([0xC1, 0xFF, 0, 0x0F, 0, 0x00, 0, 0x80, 0]),
    # Packed 2-bit pixels in one plane: 00 01 10 11.
    'packed2.pcx': pcx_header(4, 1, 2, 1, 2) + bytes([0x1B, 0]),
    # 8 bits, 3 x 2 (4 bytes a line): a run of six 7s covers the top line, its
    # pad byte and two bytes of the second line; then two 1s; the 256-colour
    # palette (marker 12) has entry i = (i, 0, 255 - i).
    'run8.pcx': pcx_header(3, 2, 8, 1, 4) + bytes([0xC6, 7, 0xC2, 1, 12])
                + bytes(v for i in range(256) for v in (i, 0, 255 - i)),
    # 16-bit RGB, one pixel: 0x12FF 0xABCD 0xFF01.
    'rgb16.png': png(1, 1, 16, 2, [[0x12, 0xFF, 0xAB, 0xCD, 0xFF, 0x01]]),
    # 16-bit grey, one row: 0xC8E0 0x7FC0 0x807F 0x0081.
    'grey16.png': png(4, 1, 16, 0, [[0xC8, 0xE0, 0x7F, 0xC0, 0x80, 0x7F, 0x00, 0x81]]),
    # JFIF resolutions: dots per centimetre, per inch, and no unit (an aspect ratio only).
    'dpcm.jpg': jpeg_jfif(2, 118, 40),
    'dpi.jpg': jpeg_jfif(1, 240, 96),
    'aspect.jpg': jpeg_jfif(0, 1, 1),
    # 16-bit RGB, 3 x 2, top row first.
    'rgb16.tif': tiff(3, 2, 16, 3, 2, struct.pack('<18H', 0, 65535, 4863, 32895, 257, 128, 65407, 1000, 60000,
                                                  12345, 54321, 300, 99, 65280, 32767, 32768, 2, 40000)),
    # CMYK 5 x 2 in 8 bits, in 16 bits (each ink i as i * 257, Deflate) and in 16-pixel tiles.
    'cmyk8.tif': tiff(5, 2, 8, 4, 5, bytes(INKS)),
    'cmyk16.tif': tiff(5, 2, 16, 4, 5, struct.pack('<40H', *[i * 257 for i in INKS]), compression=8),
    'cmyktiles.tif': tiff(5, 2, 8, 4, 5, bytes(INKS), tile=16),
    # RGB with unassociated alpha, 4 x 1.
    'rgba.tif': tiff(4, 1, 8, 4, 2, bytes([200, 100, 50, 255, 10, 250, 130, 128, 90, 91, 92, 200, 7, 8, 9, 0]), extra=2),
    'monoempty.pcx': pcx_mono((0, 0, 0), (0, 0, 0)),
    'monoequal.pcx': pcx_mono((9, 9, 9), (9, 9, 9)),
    'monopalette.pcx': pcx_mono((0, 0, 128), (255, 255, 0)),
    # What the encoder writes for a 3 x 2 picture, (1, 2, 3) at the bottom left
    # and (4, 5, 6) at the top right: rows of 9 bytes padded to 12, bottom row
    # first, blue green red; 24 bytes of bits, 72 dpi (2835 pixels a metre).
    'written24.bmp': with_file_header(info_header(3, 2, 24)[:20] + struct.pack('<I', 24) + info_header(3, 2, 24)[24:]
                                      + bytes([3, 2, 1]) + bytes(15) + bytes([6, 5, 4]) + bytes(3), 54),
}

for name, data in files.items():
    with open(name, 'wb') as f:
        f.write(data)
