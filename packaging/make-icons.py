"""Renders the program's icon for the desktop's icon theme:
make-icons.py ICON.png OUTDIR SIZE... writes OUTDIR/SIZExSIZE/apps/vexilo.png."""
import os
import sys

from PIL import Image

icon = Image.open(sys.argv[1]).convert("RGBA")
for size in map(int, sys.argv[3:]):
    folder = os.path.join(sys.argv[2], f"{size}x{size}", "apps")
    os.makedirs(folder, exist_ok=True)
    icon.resize((size, size), Image.LANCZOS).save(os.path.join(folder, "vexilo.png"), optimize=True)
