#!/usr/bin/env python3
"""The built help file, read back as a help viewer reads it: every context id the program opens
leads to a page of the file, every page is in the contents and the index, and every picture a
page shows is in the file as a PNG.

    help_file_test.py CHM HELP_IDS_H
"""
import os
import re
import struct
import subprocess
import sys
import tempfile


def context_ids(header):
    with open(header) as f:
        return {m.group(1): int(m.group(2)) for m in re.finditer(r"#define\s+(IDH_\w+)\s+(\d+)", f.read())}


def context_topics(folder):
    """Context id -> topic name, from the #IVB table and the names in #STRINGS."""
    ivb = open(os.path.join(folder, "#IVB"), "rb").read()
    strings = open(os.path.join(folder, "#STRINGS"), "rb").read()
    count = struct.unpack_from("<I", ivb)[0] // 8
    topics = {}
    for i in range(count):
        context, offset = struct.unpack_from("<II", ivb, 4 + 8 * i)
        topics[context] = strings[offset:strings.index(b"\0", offset)].decode("latin-1")
    return topics


def linked_pages(path):
    with open(path, encoding="latin-1") as f:
        return set(re.findall(r'name="Local" value="([^"]+)"', f.read()))


def main():
    chm, header = sys.argv[1], sys.argv[2]
    failures, pictures = [], set()
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["extract_chmLib", chm, folder], check=True, stdout=subprocess.DEVNULL)
        pages = {name for name in os.listdir(folder) if name.endswith(".htm")}
        topics = context_topics(folder)
        for name, context in context_ids(header).items():
            if topics.get(context) not in pages:
                failures.append(f"{name} ({context}) opens {topics.get(context)!r}, no page of the file")
        for listing in ("Marrowin.hhc", "Marrowin.hhk"):
            linked = linked_pages(os.path.join(folder, listing))
            failures += [f"{page} is not in {listing}" for page in sorted(pages - linked)]
            failures += [f"{listing} links {page}, no page of the file" for page in sorted(linked - pages)]
        for page in sorted(pages):
            with open(os.path.join(folder, page), encoding="latin-1") as f:
                text = f.read()
            for target in re.findall(r'href="([^"#]+)', text):
                if target not in pages:
                    failures.append(f"{page} links {target}, no page of the file")
            for picture in re.findall(r'<img src="([^"]+)"', text):
                pictures.add(picture)
                path = os.path.join(folder, picture)
                if not os.path.isfile(path) or open(path, "rb").read(8) != b"\x89PNG\r\n\x1a\n":
                    failures.append(f"{page} shows {picture}, no PNG picture of the file")
    for failure in failures:
        print(failure)
    print(f"{len(pages)} pages, {len(pictures)} pictures, {len(topics)} context ids, {len(failures)} faults")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
