#!/usr/bin/env python3
"""Fails when a program loads Qt's widget library, directly or through another
library: the command-line tool runs where there is no window system.

Usage: check_no_widgets.py PROGRAM
"""
import subprocess
import sys


def main():
    program = sys.argv[1]
    result = subprocess.run(["ldd", program], capture_output=True, text=True)
    if result.returncode != 0:
        print(f"ldd {program} failed: {result.stderr.strip()}")
        return 2
    widgets = [line.strip() for line in result.stdout.splitlines() if "libQt6Widgets" in line]
    for line in widgets:
        print(f"{program} loads {line}")
    if widgets:
        return 1
    print(f"{program}: no widget library")
    return 0


if __name__ == "__main__":
    sys.exit(main())
