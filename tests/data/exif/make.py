#!/usr/bin/env python3
"""Writes the EXIF bodies of this folder (what an APP1 segment holds: "Exif",
two zero bytes, a TIFF header and one directory of 12-byte entries) and
index.txt: each file with the orientation it reads as (tabs), 1 where the data
is damaged or holds no usable orientation. Run in this folder: python3 make.py"""
import struct

index = []


# Entries are (tag, type, count, value); a SHORT of count 1 sits at the start
# of its value field. `big`: Motorola byte order.
def body(big, entries, directory=8):
    e = '>' if big else '<'
    out = b'Exif\0\0' + (b'MM' if big else b'II') + struct.pack(e + 'HI', 42, directory) + bytes(directory - 8)
    out += struct.pack(e + 'H', len(entries))
    for tag, kind, count, value in entries:
        field = struct.pack(e + 'HH', value, 0) if kind == 3 and count == 1 else struct.pack(e + 'I', value)
        out += struct.pack(e + 'HHI', tag, kind, count) + field
    return out + struct.pack(e + 'I', 0)  # no next directory


def put(name, data, orientation):
    with open(name, 'wb') as f:
        f.write(data)
    index.append('%s\t%d' % (name, orientation))


# Every orientation in both byte orders, among a Make (ASCII) and an
# XResolution (an offset) entry, the directory 4 bytes after the header.
for big in (False, True):
    for o in range(1, 9):
        put('%s_%d.exif' % ('big' if big else 'little', o),
            body(big, [(0x010F, 2, 4, 0x41424300), (0x0112, 3, 1, o), (0x011A, 5, 1, 200)], 12), o)

good = body(False, [(0x0112, 3, 1, 6)])
damaged = {
    'not_exif': b'e' + good[1:],
    'unknown_byte_order': good[:6] + b'IM' + good[8:],
    'not_42': good[:8] + b'\x2b' + good[9:],
    'directory_past_the_end': good[:10] + b'\xf0' + good[11:],  # at 0xF0 + 8
    'entry_count_past_the_end': (lambda b: b[:14] + b'\xff' + b[15:])(body(False, [(0x010F, 2, 4, 0)])),
    'entry_cut_short': good[:6 + 8 + 2 + 10],  # the entry stops after 10 of its 12 bytes
    'value_0': body(False, [(0x0112, 3, 1, 0)]),
    'value_9': body(True, [(0x0112, 3, 1, 9)]),
    'long_type': body(False, [(0x0112, 4, 1, 6)]),
    'two_values': body(False, [(0x0112, 3, 2, 6)]),
    'no_orientation': body(False, [(0x010F, 2, 4, 0)]),
    'empty': b'',
    'identifier_only': b'Exif\0\0',
}
put('good.exif', good, 6)
for name, data in damaged.items():
    put(name + '.exif', data, 1)

with open('index.txt', 'w') as f:
    f.write('\n'.join(index) + '\n')
