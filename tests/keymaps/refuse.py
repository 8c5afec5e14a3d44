#!/usr/bin/env python3
"""The generator refuses a bad scheme table and names the fault.

Usage: refuse.py GENERATOR FIXTURE_DIR WORK_DIR EXPECTED_TEXT
"""

import os
import subprocess
import sys


def main():
    generator, fixture, work, expected = sys.argv[1:5]
    run = subprocess.run([sys.executable, generator, "--schemes", fixture, "--out", work],
                         capture_output=True, text=True)
    print(run.stderr, end="")
    faults = []
    if run.returncode == 0:
        faults.append("the generator accepted the table")
    if expected not in run.stderr:
        faults.append(f"the message does not say '{expected}'")
    if os.path.exists(os.path.join(work, "Data")):
        faults.append("the generator wrote keymaps although it refused the table")
    for f in faults:
        print("FAULT:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
