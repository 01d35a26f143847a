#!/usr/bin/env python3
"""Writes the PNG pictures with alpha of this folder, chunk by chunk from the
format's structure (run in this folder). RenderToFaceTest states the pixels
of each and works out their blends by hand."""
import struct
import zlib


def png(w, h, colour_type, rows, extra=b''):
    # Signature, IHDR (depth 8), the chunks in `extra`, one IDAT of the rows
    # (filter type 0 each), IEND.
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    ihdr = struct.pack('>IIBBBBB', w, h, 8, colour_type, 0, 0, 0)
    idat = zlib.compress(b''.join(b'\0' + bytes(r) for r in rows))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + b''.join(chunk(k, d) for k, d in extra)
            + chunk(b'IDAT', idat) + chunk(b'IEND', b''))


# 4 x 2 RGBA, top row first: full, three-quarter, half, faint and no cover.
RGBA = [[(200, 10, 30, 255), (0, 0, 255, 192), (255, 255, 255, 128), (90, 200, 40, 1)],
        [(10, 20, 30, 0), (255, 0, 0, 64), (0, 0, 0, 200), (250, 128, 5, 255)]]

with open('rgba.png', 'wb') as f:
    f.write(png(4, 2, 6, [[v for px in row for v in px] for row in RGBA]))
# 3 x 1 palette: red, green, blue; transparency entries 0 and 100, the third
# entry without one (opaque).
with open('palette.png', 'wb') as f:
    f.write(png(3, 1, 3, [[0, 1, 2]], [(b'PLTE', bytes([255, 0, 0, 0, 255, 0, 0, 0, 255])), (b'tRNS', bytes([0, 100]))]))
