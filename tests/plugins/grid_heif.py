#!/usr/bin/env python3
"""Makes a grid HEIF picture, the way phones store their photos, of the
pictures of a HEIF file written by heif-enc from several inputs: the first
columns x rows become the grid's tiles, row by row (hidden, as phones mark
them), and one more, when there is one, the grid's thumbnail. The grid is of
the given size, at most the tiles' together: the last column and row are cut.
  grid_heif.py <in> <out> <columns> <rows> <width> <height>
"""
import struct
import sys

from turn_heif import find, parse, serialize, shift_iloc


def box(kind, body):
    return [kind, body, None]


def full_box(kind, payload, version=0, flags=0):
    return box(kind, struct.pack(">I", version << 24 | flags) + payload)


def item_ids(iinf):
    return [struct.unpack(">H", infe[1][4:6])[0] for infe in iinf[2]]


def add_grid_association(ipma, item, index):
    """A new ipma entry (they are in item order; the grid's id is the last)."""
    version, flags = ipma[0], int.from_bytes(ipma[1:4], "big")
    wide_ids, wide_index = version >= 1, flags & 1
    count = struct.unpack(">I", ipma[4:8])[0]
    entry = struct.pack(">I" if wide_ids else ">H", item) + bytes([1])
    entry += struct.pack(">H", index) if wide_index else bytes([index])
    return ipma[:4] + struct.pack(">I", count + 1) + ipma[8:] + entry


def add_iloc_entry(iloc, item, offset, length):
    """An entry of one extent; heif-enc writes iloc version 0."""
    assert iloc[0] == 0, "iloc version 0 expected"
    offset_size, length_size, base_size = iloc[4] >> 4, iloc[4] & 15, iloc[5] >> 4
    count = struct.unpack(">H", iloc[6:8])[0]
    entry = struct.pack(">HH", item, 0) + bytes(base_size) + struct.pack(">H", 1)
    entry += offset.to_bytes(offset_size, "big") + length.to_bytes(length_size, "big")
    return iloc[:6] + struct.pack(">H", count + 1) + iloc[8:] + entry


def main():
    source, target = sys.argv[1], sys.argv[2]
    columns, rows, width, height = map(int, sys.argv[3:7])
    boxes = parse(open(source, "rb").read())
    meta = find(boxes, b"meta")
    old_meta_size = len(serialize([meta]))
    iinf = find(meta[2], b"iinf")
    ids = item_ids(iinf)
    tiles, extra = ids[:columns * rows], ids[columns * rows:]
    assert len(tiles) == columns * rows, "fewer pictures than tiles"
    grid = max(ids) + 1

    for infe in iinf[2]:
        if struct.unpack(">H", infe[1][4:6])[0] in tiles:
            infe[1] = infe[1][:3] + bytes([infe[1][3] | 1]) + infe[1][4:]  # hidden
    iinf[2].append(full_box(b"infe", struct.pack(">HH4sB", grid, 0, b"grid", 0), version=2))
    iinf[1] = iinf[1][:4] + struct.pack(">H", len(iinf[2]))

    tile_list = b"".join(struct.pack(">H", tile) for tile in tiles)
    references = [box(b"dimg", struct.pack(">HH", grid, len(tiles)) + tile_list)]
    if extra:
        references.append(box(b"thmb", struct.pack(">HHH", extra[0], 1, grid)))
    iref = next((b for b in meta[2] if b[0] == b"iref"), None)
    if iref is None:
        iref = [b"iref", struct.pack(">I", 0), []]
        meta[2].append(iref)
    iref[2].extend(references)

    iprp = find(meta[2], b"iprp")
    ipco, ipma = find(iprp[2], b"ipco"), find(iprp[2], b"ipma")
    ipco[2].append(full_box(b"ispe", struct.pack(">II", width, height)))
    ipma[1] = add_grid_association(ipma[1], grid, len(ipco[2]))
    pitm = find(meta[2], b"pitm")
    pitm[1] = pitm[1][:4] + struct.pack(">H", grid)

    # The grid's description goes into an mdat of its own at the end; the
    # tiles' data moves by as much as the meta box grew.
    description = struct.pack(">BBBBHH", 0, 0, rows - 1, columns - 1, width, height)
    iloc = find(meta[2], b"iloc")
    original_iloc = iloc[1]
    iloc[1] = add_iloc_entry(original_iloc, grid, 0, len(description))
    delta = len(serialize([meta])) - old_meta_size
    end = len(serialize(boxes)) + 8
    iloc[1] = add_iloc_entry(shift_iloc(original_iloc, delta), grid, end, len(description))
    boxes.append(box(b"mdat", description))
    open(target, "wb").write(serialize(boxes))


if __name__ == "__main__":
    main()
