#!/usr/bin/env python3
"""Gives the primary picture of a HEIF file (as heif-enc writes it) a
rotation (irot) and optionally a mirroring (imir), the transformations that
phones store instead of turning the pixels.
  turn_heif.py <in> <out> <quarter turns counter-clockwise> [mirror axis 0|1]
"""
import struct
import sys

# Boxes holding boxes, after a header of so many bytes (iinf of version 0).
CONTAINERS = {b"meta": 4, b"iprp": 0, b"ipco": 0, b"dinf": 0, b"iinf": 6, b"iref": 4}


def parse(data):
    boxes, at = [], 0
    while at < len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + size]
        if kind in CONTAINERS:
            prefix = CONTAINERS[kind]
            boxes.append([kind, body[:prefix], parse(body[prefix:])])
        else:
            boxes.append([kind, body, None])
        at += size
    return boxes


def serialize(boxes):
    out = b""
    for kind, body, children in boxes:
        payload = body + serialize(children) if children is not None else body
        out += struct.pack(">I4s", 8 + len(payload), kind) + payload
    return out


def find(boxes, kind):
    return next(box for box in boxes if box[0] == kind)


def add_association(ipma, item, index):
    version, flags = ipma[0], int.from_bytes(ipma[1:4], "big")
    wide_ids, wide_index = version >= 1, flags & 1
    count = struct.unpack(">I", ipma[4:8])[0]
    out, at = bytearray(ipma[:8]), 8
    for _ in range(count):
        id_size = 4 if wide_ids else 2
        item_id = int.from_bytes(ipma[at:at + id_size], "big")
        n = ipma[at + id_size]
        entry_size = id_size + 1 + n * (2 if wide_index else 1)
        entry = bytearray(ipma[at:at + entry_size])
        if item_id == item:  # transformations are essential
            entry[id_size] = n + 1
            entry += struct.pack(">H", 0x8000 | index) if wide_index else bytes([0x80 | index])
        out += entry
        at += entry_size
    return bytes(out)


def shift_iloc(iloc, delta):
    version = iloc[0]
    offset_size, length_size = iloc[4] >> 4, iloc[4] & 15
    base_size, index_size = iloc[5] >> 4, (iloc[5] & 15) if version else 0
    out, at = bytearray(iloc), 6
    count_size = 4 if version == 2 else 2
    count = int.from_bytes(iloc[at:at + count_size], "big")
    at += count_size
    for _ in range(count):
        at += 4 if version == 2 else 2
        method = 0
        if version:
            method = int.from_bytes(iloc[at:at + 2], "big") & 15
            at += 2
        at += 2  # data reference index
        base = int.from_bytes(iloc[at:at + base_size], "big") if base_size else 0
        if base_size and method == 0 and base:
            out[at:at + base_size] = (base + delta).to_bytes(base_size, "big")
        at += base_size
        extents = int.from_bytes(iloc[at:at + 2], "big")
        at += 2
        for _ in range(extents):
            at += index_size
            if offset_size and method == 0 and not base:
                offset = int.from_bytes(iloc[at:at + offset_size], "big")
                out[at:at + offset_size] = (offset + delta).to_bytes(offset_size, "big")
            at += offset_size + length_size
    return bytes(out)


def main():
    source, target, turns = sys.argv[1], sys.argv[2], int(sys.argv[3])
    mirror = int(sys.argv[4]) if len(sys.argv) > 4 else None
    data = open(source, "rb").read()
    boxes = parse(data)
    meta = find(boxes, b"meta")
    old_meta_size = len(serialize([meta]))
    primary = struct.unpack(">H", find(meta[2], b"pitm")[1][4:6])[0]
    iprp = find(meta[2], b"iprp")
    ipco, ipma = find(iprp[2], b"ipco"), find(iprp[2], b"ipma")
    properties = [[b"irot", bytes([turns & 3]), None]]
    if mirror is not None:
        properties.append([b"imir", bytes([mirror & 1]), None])
    for prop in properties:
        ipco[2].append(prop)
        ipma[1] = add_association(ipma[1], primary, len(ipco[2]))
    delta = len(serialize([meta])) - old_meta_size
    meta_at = boxes.index(meta)
    if any(box[0] == b"mdat" for box in boxes[meta_at + 1:]):
        iloc = find(meta[2], b"iloc")
        iloc[1] = shift_iloc(iloc[1], delta)
    open(target, "wb").write(serialize(boxes))


if __name__ == "__main__":
    main()
