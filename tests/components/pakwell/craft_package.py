"""Writes a package that the Cube.exe stub must refuse: craft_package.py STUB OUT CASE.

CASE is an entry name to pack as it is (a name that would leave the folder),
"symlink" (a link entry) or "comment" (an archive comment that holds the
end-record signature). A good entry comes first, so that a stub that writes
before it has checked everything leaves a file behind.
"""
import sys
import zipfile

stub, out, case = sys.argv[1:4]
with open(stub, "rb") as f:
    head = f.read()
with open(out, "wb") as f:
    f.write(head)
    with zipfile.ZipFile(f, "w") as archive:
        archive.writestr("ok.txt", "fine")
        if case == "symlink":
            link = zipfile.ZipInfo("link")
            link.create_system = 3
            link.external_attr = 0o120777 << 16
            archive.writestr(link, "../outside")
        elif case == "comment":
            archive.writestr("page.htm", "<p>page</p>")
            archive.comment = b"before PK\x05\x06 after"
        else:
            archive.writestr(zipfile.ZipInfo(case), "bad")
