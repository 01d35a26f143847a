#!/usr/bin/env python3
# Writes the readable project files of this folder from the file's structure
# (little-endian words, one-byte-length strings) and index.txt, the reading
# each must give. Run in this folder: python3 make.py
import struct


def words(*values):
    return b''.join(struct.pack('<I', v) for v in values)


def text(s):
    return bytes([len(s)]) + s.encode()


# Signature, versions (oldest reader 200, writer 2.10) and the drawing defaults.
SIGNATURE = words(0x89878820, 0x89949220, 0xC00E0000, 0xFAC10740, 200) + text('2.00') + words(210) + text('2.10')
HEAD = SIGNATURE + words(0x15031969, 0x0000FF, 0xFF0000, 0, 0x00FFFF, 0, 0, 0, 0) + text('') + words(48, 0, 0x09041940)
EMPTY_LAYOUT = words(0x54A14145, 0, 0x956421A7)
EMPTY_SETTINGS = words(0xA1141B01) + words(0x4A74A61C, 0, 0xCA4C410E) * 3 + words(0x04A61C11)
DAMAGE = words(0xDEADBEEF)  # the one damaged word of a file
END = words(0x51484504)


def product(sides, kind='BOX'):
    return text(kind) + EMPTY_SETTINGS + words(0xCA5A407A, sides)


def side(key):  # no settings, no pictures
    return words(0xFEEDBAC7) + text(key) + words(0x87654321) + EMPTY_SETTINGS + words(0, 0, 0xFEDCBA90, 0x7CABDEEF)


def record(payload):  # a draw object: its block (u32 size with itself, payload) and the closing marker
    return words(0x5100EB14, 4 + len(payload), 4 + len(payload)) + bytes(payload) + words(0xABCDEF47)


index = ['# file\tkind (- none)\tsides\tdraw objects\tdamaged byte\tside key:settings:base width:picture width (,)'
         '\tlosses (;)\tnote (* not checked)']


# `before` and `after` the damaged word (none: the file is whole).
def put(name, kind, sides, objects, losses, note, before, after=None, detail='*'):
    with open(name + '.vtp', 'wb') as f:
        f.write(before + (DAMAGE + after if after is not None else b''))
    damaged = len(before) if after is not None else 0
    index.append('\t'.join([name + '.vtp', kind, str(sides), str(objects), str(damaged), detail, ';'.join(losses) or '-',
                            note]))


# Damage: reported with the byte of the word, and the blocks after it recovered.
put('damaged_defaults', 'BOX', 1, 1, ['the drawing defaults'], '*', SIGNATURE,
    words(0x777777, 0x54A14145, 1) + text('F') + words(0x51DE51DE, 1) + record([7]) + words(0xED15ED15, 0x956421A7)
    + product(1) + side('F') + END)
put('damaged_first_of_two_objects', 'BOX', 2, 0, ['2 objects of face Front', 'the draw objects of 1 more face'], '*',
    HEAD + words(0x54A14145, 2) + text('F') + words(0x51DE51DE, 2),
    words(5) + record([7])[8:] + record([8]) + words(0xED15ED15) + text('G') + words(0x51DE51DE, 0, 0xED15ED15, 0x956421A7)
    + product(2) + side('F') + side('G') + END)
put('damaged_side_settings', 'BOX', 2, 0, ['part of face Front'], '*',
    HEAD + EMPTY_LAYOUT + product(2) + words(0xFEEDBAC7) + text('F') + words(0x87654321),
    words(0, 0, 0xFEDCBA90, 0x7CABDEEF) + side('L') + END)
put('damaged_layout_end', '-', 0, 0, [], '*', HEAD + words(0x54A14145, 0), b'')
# Whole files: an object byte count of 0 is followed by nothing, not even the
# closing marker; an object whose size word (99) lies is left out with a note.
put('object_of_no_bytes', 'CARD', 0, 1, [], '',
    HEAD + words(0x54A14145, 1) + text('G') + words(0x51DE51DE, 2, 0x5100EB14, 0) + record([8])
    + words(0xED15ED15, 0x956421A7) + product(0, 'CARD') + END)
put('object_lying_about_its_size', '-', 0, 1, [], '1 draw object(s) of this project could not be read and were left out.',
    HEAD + words(0x54A14145, 1) + text('F') + words(0x51DE51DE, 2, 0x5100EB14, 6, 99) + bytes([1, 2]) + words(0xABCDEF47)
    + record([8]) + words(0xED15ED15, 0x956421A7))

# A side without settings reads exactly what the file holds: no settings, and
# with no stored picture nothing to rebuild.
put('side_without_settings', 'BOX', 1, 0, [], '', HEAD + EMPTY_LAYOUT + product(1) + side('F') + END, detail='F:0:0:0')


# Colour sides (appearance 1, magnification 1) of w x w: the 40000 one cannot
# be rebuilt within the picture budget and is left out, not refused.
def colour_side(key, w):
    ints = words(10001) + b'S' + words(1, 10013) + b'S' + words(1, 10014) + b'S' + words(w, 10015) + b'S' + words(w)
    settings = words(0xA1141B01, 0x4A74A61C, 4) + ints + words(0xCA4C410E) + words(0x4A74A61C, 0, 0xCA4C410E) * 2
    return words(0xFEEDBAC7) + text(key) + words(0x87654321) + settings + words(0x04A61C11, 0, 0, 0xFEDCBA90, 0x7CABDEEF)


put('colour_side_too_large_to_build', 'BOX', 2, 0, [], '',
    HEAD + EMPTY_LAYOUT + product(2) + colour_side('F', 40000) + colour_side('G', 3) + END, detail='F:4:40000:0,G:4:3:3')

# What the writer gives: a new document (no product, so no product code after
# the empty layout); one face of one object and a font name of 300 bytes (a
# string of 255 bytes or more: 0xFF and a 16-bit length).
with open('written_new_document.vtp', 'wb') as f:
    f.write(HEAD + EMPTY_LAYOUT)
with open('written_object_and_long_font.vtp', 'wb') as f:
    f.write(SIGNATURE + words(0x15031969, 0x0000FF, 0xFF0000, 0, 0x00FFFF, 0, 0, 0, 0) + b'\xff' + struct.pack('<H', 300)
            + b'f' * 300 + words(48, 0, 0x09041940, 0x54A14145, 1) + text('F') + words(0x51DE51DE, 1)
            + record([0xAA, 0xBB]) + words(0xED15ED15, 0x956421A7))

with open('index.txt', 'w') as f:
    f.write('\n'.join(index) + '\n')
