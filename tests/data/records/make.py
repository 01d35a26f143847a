#!/usr/bin/env python3
"""Writes the draw-object records and record-stream blocks of this folder from
the record layout: every item a little-endian 32-bit word, a string its byte
count then its bytes (no terminator), a block led by its whole size.
  *.expected  what the program must write, byte for byte;
  refused_*   what it must refuse to read: .object (a draw-object block),
              .block (a record block), .image (a block holding one image item)
              or .string (a block holding one string item);
  *.skipped   an object block of an unknown kind, passed over by its size;
  empty.image the legal empty image item.
Run in this folder: python3 make.py"""
import struct

w = lambda *v: b''.join(struct.pack('<I', x & 0xFFFFFFFF) for x in v)
text = lambda s: w(len(s)) + s.encode()
block = lambda body: w(4 + len(body)) + body
code = text  # a kind's code is stored as a string


def put(name, data):
    with open(name, 'wb') as f:
        f.write(data)


# Common part of every object: version 1, the selection state (in a list's
# blocks), line colour, fill colour (when the kind has them), then x1 y1 x2 y2.
# A rectangle, selected, red line, green fill, then its style (1, filled) before
# the box (-1, 20) - (10, 2).
put('rect.expected', block(code('RECT') + w(1, 1, 0x0000FF, 0x00FF00, 1, -1, 20, 10, 2)))
# The panel fields a named object's record ends with: the tag, one word before
# the name, the flags hidden (1) | locked (2), then the name "Sky".
put('panel_fields.expected', w(0x4F424A31, 1, 3) + text('Sky'))
# A barcode body without selection or colours: version 1, box 0 0 0 0, barcode
# version 1, data "A", angle 2700; no kind word (the Code 39 of old files).
put('barcode_A.expected', block(w(1, 0, 0, 0, 0) + w(1) + text('A') + w(2700)))
# A record of a u32, a string "AB" and the point (-1, 2).
put('items.expected', block(w(0x11223344) + text('AB') + w(-1, 2)))
# A 2 x 2 image item: width, height, then the pixels as 0x00BBGGRR, the bottom
# row first: 0x000001 0x000002 / 0x030000 0x040000.
put('image_2x2.expected', block(w(2, 2, 0x000001, 0x000002, 0x030000, 0x040000)))

# A kind this program does not know, with a body of its own.
put('star.skipped', block(code('STAR') + w(1, 0x09090909)))
put('refused_empty.object', b'')
put('refused_size_word_disagrees.object', w(3))
put('refused_code_past_the_block.object', w(12, 200) + b'RECT')
put('refused_body_missing.object', block(code('RECT')))
# A polyline (common part: version, selection, line colour, box) whose point
# count says 1000000 in a short block.
put('refused_polyline_of_a_million_points.object', block(code('POLYLINE') + w(1, 0, 0, 0, 0, 0, 0) + w(1, 1000000)))
put('refused_common_part_version_2.object', block(code('RECT') + w(2, 0, 0, 0, 0, 0, 0, 0, 0)))
# A picture: common part with selection, version 1, angle 0, transparent
# colour white, no transparency, then an image claiming 100 x 100 with no pixels.
put('refused_picture_of_100_x_100_without_pixels.object',
    block(code('PICTURE') + w(1, 0, 0, 0, 0, 0) + w(1, 0, 0xFFFFFF, 0) + w(1, 100, 100)))

# A string item whose byte count, 65535, runs past the 4 bytes that follow.
put('refused_65535_bytes_of_4.string', block(w(65535) + b'abcd'))
put('refused_three_bytes.block', w(3)[:3])
put('refused_size_9_holding_8.block', w(9, 1))
put('refused_1000_x_1000_without_pixels.image', block(w(1000, 1000)))
put('refused_size_overflowing_32_bits.image', block(w(0x10000, 0x10000)))
put('refused_width_0_height_5.image', block(w(0, 5)))
put('refused_size_cut_short.image', block(w(1)))
put('empty.image', block(w(0, 0)))
