#!/usr/bin/env python3
"""Checks the bundled keymaps and configuration.

Usage: check_bundle.py CLI KEYMAPS_DIR [BIN_DIR]

Every keymap in KEYMAPS_DIR/Data must pass `korimo-cli check`; every entry of
KEYMAPS_DIR/config.xml must name one of them, and every keymap must have an
entry. With BIN_DIR, the build must have put the same Data folder and
config.xml beside the programs.
"""

import filecmp
import glob
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def main():
    cli, keymaps = sys.argv[1:3]
    bin_dir = sys.argv[3] if len(sys.argv) > 3 else None
    faults = []
    files = sorted(glob.glob(os.path.join(keymaps, "Data", "*.xml")))
    if not files:
        faults.append("no keymaps in Data")
    run = subprocess.run([cli, "check"] + files, capture_output=True, text=True, timeout=120)
    print(run.stdout, end="")
    if run.returncode != 0:
        faults.append(f"korimo-cli check exited with {run.returncode}: {run.stderr.strip()}")
    for f in files:
        if f"{f}: ok " not in run.stdout:
            faults.append(f"{f} not reported ok")

    config = ET.parse(os.path.join(keymaps, "config.xml")).getroot()
    names = [e.findtext("Filename") for e in config.find("Keymaps")]
    on_disk = {os.path.basename(f) for f in files}
    for n in names:
        if n not in on_disk:
            faults.append(f"config.xml names {n}, which is not in Data")
    for n in sorted(on_disk - set(names)):
        faults.append(f"{n} has no entry in config.xml")
    for e in config.find("Keymaps"):
        path = os.path.join(keymaps, "Data", e.findtext("Filename"))
        if os.path.exists(path):
            header = ET.parse(path).getroot().find("Header")
            for field in ("Language", "Keyboard", "Encoding"):
                if header.findtext(field) != e.findtext(field):
                    faults.append(f"{e.findtext('Filename')}: {field} differs between config.xml and the header")

    if bin_dir:
        for f in files + [os.path.join(keymaps, "config.xml")]:
            rel = os.path.relpath(f, keymaps)
            copy = os.path.join(bin_dir, rel)
            if not os.path.exists(copy) or not filecmp.cmp(f, copy, shallow=False):
                faults.append(f"{copy} is missing or differs from {f}")

    for fault in faults:
        print("FAULT:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
