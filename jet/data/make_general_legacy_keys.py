#!/usr/bin/env python3
"""Builds general_legacy_keys.bin, the per-character codes of Jet 4's General
(legacy) sort order that text index keys are made of, from the two code lists
of Jackcess (index_codes_genleg.txt for U+0000..U+00FF and
index_codes_ext_genleg.txt for U+0100..U+FFFF without the surrogates; see
NOTICE.md beside this file):

    python3 make_general_legacy_keys.py GENLEG.txt EXT_GENLEG.txt OUT.bin

A line of those lists is a kind letter and comma-separated hex fields:
X ignored, S<inline>, I<inline>,<extra>, U<unprintable>, P<extra modifier>,
Z<inline>,<extra or empty>,<1 or empty>.

Output: records in character order, together covering U+0000..U+FFFF. A
record stands for `count` consecutive characters of one kind whose inline
codes, read as big-endian numbers, go up by one from character to character
and whose other fields are equal:
    byte 0    bits 0-2 kind (0 X, 1 S, 2 I, 3 U, 4 P, 5 Z), bits 3-5 number
              of inline bytes (0-4), bit 6 set: a count follows (else 1)
    [2 bytes] count, big-endian
    inline bytes of the first character
    I, Z      number of extra bytes (0-2), the extra bytes
    U, P, Z   one byte: unprintable code, extra modifier, or the Z flag
              (2 when the list says 1, else 3)
Surrogates carry no line in the lists; their codes follow the rule Jackcess
uses (kind I, extra byte 3F, inline code computed from the code unit).
"""
import sys

KINDS = "XSIUPZ"


def hex_bytes(field):
    if not field:
        return b""
    return bytes.fromhex(field.zfill(len(field) + len(field) % 2))


def surrogate(unit):
    if unit < 0xDC00:
        code = unit - 10238
    else:
        offset = unit - 0xDC00
        code = unit - (9992 if offset < 8 else 9990 if offset < 262 else
                       9988 if offset < 516 else 9986 if offset < 770 else 9984)
    return ("I", code.to_bytes(2, "big"), b"\x3f", 0)


def parse(line):
    kind, fields = line[0], line[1:].split(",") if len(line) > 1 else []
    if kind == "X":
        return ("X", b"", b"", 0)
    if kind == "S":
        return ("S", hex_bytes(fields[0]), b"", 0)
    if kind == "I":
        return ("I", hex_bytes(fields[0]), hex_bytes(fields[1]), 0)
    if kind in "UP":
        (code,) = hex_bytes(fields[0])
        return (kind, b"", b"", code)
    if kind == "Z":
        return ("Z", hex_bytes(fields[0]), hex_bytes(fields[1]),
                2 if fields[2] == "1" else 3)
    raise ValueError("unknown kind in line %r" % line)


def codes(genleg, ext):
    lines = [l for l in open(genleg).read().split("\n") if l]
    lines += [l for l in open(ext).read().split("\n") if l]
    if len(lines) != 0x10000 - 0x800:
        raise ValueError("expected one line per code unit, got %d" % len(lines))
    lines = iter(lines)
    for unit in range(0x10000):
        yield surrogate(unit) if 0xD800 <= unit <= 0xDFFF else parse(next(lines))


def main(genleg, ext, out):
    runs = []  # [first code, count]
    for code in codes(genleg, ext):
        if runs:
            first, count = runs[-1]
            step = int.from_bytes(first[1], "big") + count
            if (code[0], code[2], code[3], len(code[1])) == \
                    (first[0], first[2], first[3], len(first[1])) and \
                    (not code[1] or int.from_bytes(code[1], "big") == step) and \
                    count < 0xFFFF:
                runs[-1][1] += 1
                continue
        runs.append([code, 1])
    data = bytearray()
    for (kind, inline, extra, byte), count in runs:
        data.append(KINDS.index(kind) | len(inline) << 3 | (count > 1) << 6)
        if count > 1:
            data += count.to_bytes(2, "big")
        data += inline
        if kind in "IZ":
            data += bytes([len(extra)]) + extra
        if kind in "UPZ":
            data.append(byte)
    open(out, "wb").write(data)
    print("%d records, %d bytes" % (len(runs), len(data)))


if __name__ == "__main__":
    main(*sys.argv[1:])
