#!/usr/bin/env python3
"""Builds a large test database for the read benchmark: copies a sample
database and fills its one user table (PRESET_DEFS of the machine-copy
sample) with N rows, cloned from the stored rows with fresh IDs.

New data pages go at the end of the file; the table's owned-pages map is
rewritten as a reference map (one bitmap page) so it can cover them. Only the
structures a reader walks are maintained: no indexes (the table has none),
free-space maps and the global usage map are left alone.

Usage: make_big_mdb.py SOURCE.mdb OUT.mdb [ROWS]
"""
import struct
import sys

PAGE = 4096


def main():
    src, dst = sys.argv[1], sys.argv[2]
    want = int(sys.argv[3]) if len(sys.argv) > 3 else 30000
    data = bytearray(open(src, "rb").read())
    pages = len(data) // PAGE
    page = lambda n: data[n * PAGE:(n + 1) * PAGE]

    def live_rows(tdef):
        # Data pages owned by the TDEF, live slots only.
        out = []
        for n in range(pages):
            p = page(n)
            if p[0] != 0x01 or struct.unpack_from("<I", p, 4)[0] != tdef:
                continue
            count = struct.unpack_from("<H", p, 12)[0]
            end = PAGE
            for r in range(count):
                entry = struct.unpack_from("<H", p, 14 + 2 * r)[0]
                start = entry & 0x1FFF
                if not entry & 0xC000:
                    out.append(bytes(p[start:end]))
                end = start
        return out

    # The user table: a TDEF of table type 'N' that holds rows (Access's own
    # MSysAccessObjects has type 'N' too; the table with most rows wins).
    user = [n for n in range(pages)
            if data[n * PAGE] == 0x02 and data[n * PAGE + 40] == 0x4E]
    tdef = max(user, key=lambda n: len(live_rows(n)))
    rows = live_rows(tdef)
    assert rows

    # New data pages with cloned rows; ID (column 0, fixed offset 0) numbered.
    new_pages = []
    current = None
    for i in range(want):
        row = bytearray(rows[i % len(rows)])
        struct.pack_into("<i", row, 2, i + 1)
        if current is not None:
            count = struct.unpack_from("<H", current, 12)[0]
            free = struct.unpack_from("<H", current, 2)[0]
        if current is None or count >= 255 or free < len(row) + 2:
            current = bytearray(PAGE)
            struct.pack_into("<BBHII H", current, 0, 1, 1, 4082, tdef, 0, 0)
            new_pages.append(current)
            count, free = 0, 4082
        low = PAGE if count == 0 else (
            struct.unpack_from("<H", current, 14 + 2 * (count - 1))[0] & 0x1FFF)
        start = low - len(row)
        current[start:low] = row
        struct.pack_into("<H", current, 14 + 2 * count, start)
        struct.pack_into("<H", current, 12, count + 1)
        struct.pack_into("<H", current, 2, free - len(row) - 2)

    first_new = pages
    bitmap_page = first_new + len(new_pages)
    bitmap = bytearray(PAGE)
    struct.pack_into("<BBH", bitmap, 0, 0x05, 0x01, 0)
    for k in range(len(new_pages)):
        b = first_new + k
        bitmap[4 + b // 8] |= 1 << (b % 8)

    # Owned-pages map -> reference map pointing at the bitmap page. The old
    # data pages drop out of the table.
    ptr = struct.unpack_from("<I", data, tdef * PAGE + 55)[0]
    mp, mr = ptr >> 8, ptr & 0xFF
    p = page(mp)
    start = struct.unpack_from("<H", p, 14 + 2 * mr)[0] & 0x1FFF
    end = PAGE if mr == 0 else struct.unpack_from("<H", p, 14 + 2 * (mr - 1))[0] & 0x1FFF
    at = mp * PAGE + start
    data[at:mp * PAGE + end] = bytes(end - start)
    data[at] = 0x01
    struct.pack_into("<I", data, at + 1, bitmap_page)

    struct.pack_into("<I", data, tdef * PAGE + 16, want)  # row count
    for np_ in new_pages:
        data += np_
    data += bitmap
    open(dst, "wb").write(data)
    print(f"{dst}: {want} rows on {len(new_pages)} pages, "
          f"{len(data) // PAGE} pages in all")


if __name__ == "__main__":
    main()
