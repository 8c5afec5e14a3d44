#!/usr/bin/env python3
"""Regenerating the keymaps from the scheme tables gives the committed files.

Usage: regenerate.py GENERATOR KEYMAPS_DIR WORK_DIR
"""

import filecmp
import os
import shutil
import subprocess
import sys


def listing(root):
    out = set()
    for d, _dirs, files in os.walk(root):
        for f in files:
            out.add(os.path.relpath(os.path.join(d, f), root))
    return out


def main():
    generator, keymaps, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    run = subprocess.run([sys.executable, generator, "--schemes", os.path.join(keymaps, "schemes"),
                          "--out", work], capture_output=True, text=True)
    if run.returncode != 0:
        print(run.stderr)
        return 1
    made = listing(work)
    faults = []
    committed = {p for p in listing(keymaps) if p.startswith("Data" + os.sep)} | {"config.xml", "README.md"}
    for p in sorted(committed - made):
        faults.append(f"{p} is committed but no longer generated")
    for p in sorted(made):
        if not os.path.exists(os.path.join(keymaps, p)):
            faults.append(f"{p} is generated but not committed")
        elif not filecmp.cmp(os.path.join(work, p), os.path.join(keymaps, p), shallow=False):
            faults.append(f"{p} differs from what the generator writes: run tools/keymapgen/keymapgen.py")
    for f in faults:
        print("FAULT:", f)
    print(f"{len(made)} generated files compared")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
