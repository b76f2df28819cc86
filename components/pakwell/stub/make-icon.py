"""Makes the package's Windows icon from the program's artwork: make-icon.py PNG ICO."""
import sys

from PIL import Image

Image.open(sys.argv[1]).convert("RGBA").save(sys.argv[2], sizes=[(16, 16), (32, 32), (48, 48)])
