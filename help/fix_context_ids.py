#!/usr/bin/env python3
"""Repairs the context-id table of a .chm written by chmcmd 3.2.2.

The program opens its help with HH_HELP_CONTEXT, which looks the id up in the file's #IVB table:
pairs of (context id, offset of the topic's name in #STRINGS). chmcmd 3.2.2 stores those names
with the absolute folder of the .hhp in front ("/home/me/build/help/main_window.htm"), so the
viewer finds no such topic. The names do end in the right text, so this script writes a new #IVB
whose offsets skip the folder part, and points the file's directory at it. The new table is
stored uncompressed at the end of the file; nothing else moves.

    fix_context_ids.py HHP CHM

HHP must be the path that chmcmd was given (its folder is the prefix chmcmd wrote).
"""
import os
import struct
import sys


def read_project(hhp):
    """Returns [(file name, context id)] in the order chmcmd adds the contexts."""
    sections, current = {}, None
    with open(hhp, encoding="latin-1") as f:
        for raw in f:
            line = raw.split(";", 1)[0].strip()
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1].upper(), [])
            elif line and current is not None:
                current.append(line)
    files = [name.replace("\\", "/") for name in sections.get("FILES", [])]
    alias = {}  # context name -> file
    for line in sections.get("ALIAS", []):
        key, _, value = line.partition("=")
        alias[key.strip().upper()] = value.strip()
    ids = {}  # file (upper case) -> context id
    for line in sections.get("MAP", []):
        parts = line.split()
        if len(parts) == 3 and parts[0].upper() == "#DEFINE":
            target = alias.get(parts[1].upper())
            if target is None:
                sys.exit(f"{hhp}: context {parts[1]} has no alias")
            ids[target.upper()] = int(parts[2], 0)
    return [(name, ids[name.upper()]) for name in files if ids.get(name.upper())]


def read_encint(buf, pos):
    value = 0
    while True:
        byte = buf[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


def encint(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    hhp, chm = sys.argv[1], sys.argv[2]
    prefix = os.path.dirname(os.path.abspath(hhp)) + "/"
    contexts = read_project(hhp)
    if not contexts:
        return

    data = bytearray(open(chm, "rb").read())
    if data[:4] != b"ITSF":
        sys.exit(f"{chm}: not a CHM file")
    version = struct.unpack_from("<I", data, 4)[0]
    hs0_off, _, dir_off, _ = struct.unpack_from("<QQQQ", data, 0x38)
    content0 = struct.unpack_from("<Q", data, 0x58)[0] if version >= 3 else None
    if content0 is None or struct.unpack_from("<Q", data, hs0_off + 8)[0] != len(data):
        sys.exit(f"{chm}: unexpected header layout")

    # The directory: one listing chunk is all a help file of this size needs.
    if data[dir_off:dir_off + 4] != b"ITSP":
        sys.exit(f"{chm}: no directory")
    dir_header_len, chunk_size, density = struct.unpack_from("<I4xII", data, dir_off + 8)
    index_root, first_chunk, last_chunk = struct.unpack_from("<iii", data, dir_off + 0x1C)
    if index_root != -1 or first_chunk != last_chunk:
        sys.exit(f"{chm}: directory spans several chunks; not handled")
    chunk_off = dir_off + dir_header_len + first_chunk * chunk_size
    chunk = data[chunk_off:chunk_off + chunk_size]
    if chunk[:4] != b"PMGL":
        sys.exit(f"{chm}: no listing chunk")
    free = struct.unpack_from("<I", chunk, 4)[0]
    entries, pos = [], 20
    while pos < chunk_size - free:
        length, pos = read_encint(chunk, pos)
        name = bytes(chunk[pos:pos + length])
        pos += length
        section, pos = read_encint(chunk, pos)
        offset, pos = read_encint(chunk, pos)
        size, pos = read_encint(chunk, pos)
        entries.append([name, section, offset, size])

    ivb = next((e for e in entries if e[0] == b"/#IVB"), None)
    if ivb is None or ivb[3] != 4 + 8 * len(contexts):
        sys.exit(f"{chm}: #IVB does not hold the {len(contexts)} contexts of {hhp}")

    # #STRINGS starts with a zero byte; chmcmd adds the context names first, in file order,
    # each as prefix + name with its terminating zero.
    table = struct.pack("<I", 8 * len(contexts))
    offset = 1
    for name, context in contexts:
        table += struct.pack("<II", context, offset + len(prefix))
        offset += len(prefix) + len(name.encode("latin-1")) + 1

    ivb[1], ivb[2] = 0, len(data) - content0
    data += table
    struct.pack_into("<Q", data, hs0_off + 8, len(data))

    # Write the listing again, with its quick-reference offsets (every (1 + 2^density)-th
    # entry, counted from the end of the chunk header, stored backwards from the chunk's end).
    body = b""
    starts = []
    for name, section, offset, size in entries:
        starts.append(len(body))
        body += encint(len(name)) + name + encint(section) + encint(offset) + encint(size)
    step = 1 + (1 << density)
    quickref = [starts[i] for i in range(step - 1, len(entries), step)]
    tail = b"".join(struct.pack("<H", q) for q in reversed(quickref)) + struct.pack("<H", len(entries))
    if 20 + len(body) + len(tail) > chunk_size:
        sys.exit(f"{chm}: directory chunk overflows")
    new_chunk = bytearray(chunk_size)
    new_chunk[:20] = chunk[:20]
    struct.pack_into("<I", new_chunk, 4, chunk_size - 20 - len(body))
    new_chunk[20:20 + len(body)] = body
    new_chunk[chunk_size - len(tail):] = tail
    data[chunk_off:chunk_off + chunk_size] = new_chunk

    with open(chm, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
