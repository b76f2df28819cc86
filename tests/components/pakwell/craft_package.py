"""Writes a package that the Cube.exe stub must refuse: craft_package.py STUB OUT CASE.

CASE is an entry name to pack as it is (a name that would leave the folder),
"symlink" (a link entry), "comment" (an archive comment that holds the
end-record signature), "overlap" (two entries sharing their bytes: one
entry's local header lies inside the other's data) or "too large" (files that
together unpack to more than the stub allows). A good entry comes first, so that a stub that writes
before it has checked everything leaves a file behind.
"""
import struct
import sys
import zipfile
import zlib


def local_header(name, data):
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0x0800, 0, 0, 0,
                       zlib.crc32(data), len(data), len(data), len(name), 0) + name


def central_header(name, data, offset):
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0x0800, 0, 0, 0,
                       zlib.crc32(data), len(data), len(data), len(name), 0, 0, 0, 0, 0, offset) + name


def write_overlapping(f, base):
    inner_name, outer_name = b"b.txt", b"a.txt"
    inner_data = b"shared bytes"
    inner = local_header(inner_name, inner_data) + inner_data
    outer = local_header(outer_name, inner) + inner
    f.write(outer)
    inner_offset = base + 30 + len(outer_name)
    directory = central_header(outer_name, inner, base) + central_header(inner_name, inner_data, inner_offset)
    f.write(directory)
    f.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 2, 2, len(directory), base + len(outer), 0))


stub, out, case = sys.argv[1:4]
with open(stub, "rb") as f:
    head = f.read()
with open(out, "wb") as f:
    f.write(head)
    if case == "overlap":
        write_overlapping(f, len(head))
        sys.exit(0)
    with zipfile.ZipFile(f, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("ok.txt", "fine")
        if case == "symlink":
            link = zipfile.ZipInfo("link")
            link.create_system = 3
            link.external_attr = 0o120777 << 16
            archive.writestr(link, "../outside")
        elif case == "too large":
            for n in range(3):
                archive.writestr(f"zeros{n}.bin", bytes(100 << 20))
        elif case == "comment":
            archive.writestr("page.htm", "<p>page</p>")
            archive.comment = b"before PK\x05\x06 after"
        else:
            archive.writestr(zipfile.ZipInfo(case), "bad")
