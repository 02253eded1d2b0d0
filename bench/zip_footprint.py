#!/usr/bin/env python3
"""Splits a ZIP archive's bytes between the top-level folders below a path, exactly.

    zip_footprint.py ARCHIVE PREFIX

Every byte of the archive belongs to one entry (its local header, data and data descriptor, up to the
next entry's local header, plus its central directory record) or to the end records. Entries are
grouped by the first name component after PREFIX (an entry name without the leading "/"); the output
is one line per group, "<bytes> <data bytes> <group>" (the data bytes are the entries' compressed data
alone; the rest is headers, names and extra fields), and a last line "<bytes> 0 (end records)". Two programs that
archive the same tree can then be compared folder by folder from one archive each.
"""
import collections
import struct
import sys
import zipfile


def main():
    archive_path, prefix = sys.argv[1], sys.argv[2].strip("/") + "/"
    with zipfile.ZipFile(archive_path) as archive, open(archive_path, "rb") as raw:
        infos = archive.infolist()
        start_dir = archive.start_dir
        raw.seek(0, 2)
        archive_size = raw.tell()
        raw.seek(start_dir)
        central = raw.read(archive_size - start_dir)

    # Central records in directory order: each is 46 bytes plus its name, extra field and comment.
    central_lengths = []
    position = 0
    for _ in infos:
        signature, = struct.unpack_from("<I", central, position)
        if signature != 0x02014B50:
            sys.exit(f"{archive_path}: central directory record expected at {start_dir + position}")
        name_length, extra_length, comment_length = struct.unpack_from("<HHH", central, position + 28)
        length = 46 + name_length + extra_length + comment_length
        central_lengths.append(length)
        position += length
    end_records = len(central) - position

    by_offset = sorted(range(len(infos)), key=lambda i: infos[i].header_offset)
    footprint = [0] * len(infos)
    for rank, index in enumerate(by_offset):
        following = infos[by_offset[rank + 1]].header_offset if rank + 1 < len(by_offset) else start_dir
        footprint[index] = following - infos[index].header_offset + central_lengths[index]

    groups = collections.Counter()
    data = collections.Counter()
    for info, size in zip(infos, footprint):
        name = info.filename
        rest = name[len(prefix):] if name.startswith(prefix) else ""
        if "/" in rest:
            group = rest.split("/", 1)[0]
        else:
            group = "(files at the top)" if rest else "(the folder and its parents)"
        groups[group] += size
        data[group] += info.compress_size
    for group in sorted(groups):
        print(groups[group], data[group], group)
    print(end_records, 0, "(end records)")


if __name__ == "__main__":
    main()
