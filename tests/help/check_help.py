#!/usr/bin/env python3
"""Checks the help page the build wrote beside the programs.

Usage: check_help.py GENERATOR KEYMAPS_DIR PAGE WORK_DIR
- every keymap in KEYMAPS_DIR/Data has its section, listing each of its
  entries (keys and shown text) and nothing else; a few rows read as a user
  reads them;
- the page stands alone: UTF-8, no scripts, nothing loaded from elsewhere;
- a keymap in Data that config.xml does not list is covered, and a broken one
  is named on the page while the others are still listed.
"""

import html
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

generator, keymaps_dir, page_path, work = sys.argv[1:5]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def entries_of(path):
    data = ET.parse(path).getroot().find("Data")
    out = []
    for e in data:
        keys = e.findtext("Keys") or ""
        display = e.findtext("Display") or ""
        out.append(("".join(chr(int(keys[i:i + 2], 16)) for i in range(0, len(keys), 2)),
                    b"".join(int(display[i:i + 4], 16).to_bytes(2, "big")
                             for i in range(0, len(display), 4)).decode("utf-16-be",
                                                                         "surrogatepass")))
    return out


def sections(text):
    """section id -> [(keys, shown)] read back from the page's cells."""
    found = {}
    parts = re.split(r'<h3 id="([^"]+)">', text)
    for anchor, body in zip(parts[1::2], parts[2::2]):
        pairs = []
        for cell in re.findall(r'<span class="c">(.*?)</span>', body):
            shown = html.unescape(re.search(r"<b>(.*?)</b>", cell).group(1))
            shown = "" if shown == "\xa0" else shown
            for keys in re.findall(r"<kbd>(.*?)</kbd>", cell):
                keys = html.unescape(keys)
                keys = "" if keys == "(none)" else keys.replace("\u2423", " ")
                pairs.append((keys, shown))
        found[anchor] = pairs
    return found


def anchor(name):
    return "km-" + "".join(c if c.isalnum() else "-" for c in name.lower())


with open(page_path, encoding="utf-8") as f:
    page = f.read()
listed = sections(page)
data_dir = os.path.join(keymaps_dir, "Data")
files = sorted(f for f in os.listdir(data_dir) if f.endswith(".xml"))
check(len(files) > 0, "no bundled keymaps found")
for name in files:
    expected = entries_of(os.path.join(data_dir, name))
    got = listed.get(anchor(name))
    if got is None:
        failures.append(f"{name}: no section on the page")
        continue
    check(sorted(got) == sorted(expected),
          f"{name}: the page lists {len(got)} entries, the file has {len(expected)}"
          + (f"; first missing {sorted(set(expected) - set(got))[:3]}" if set(expected) - set(got) else ""))
    check(f'href="#{anchor(name)}"' in page, f"{name}: not in the index")

# rows as a reader finds them: alternatives share a place
for row, what in [
        ('<kbd>aa</kbd> <kbd>A</kbd><b>आ</b>', "Hindi aa and A type आ"),
        ('<kbd>kaa</kbd> <kbd>kA</kbd><b>का</b>', "Hindi kaa and kA type का"),
        ('<kbd>n_</kbd><b>ൻ</b>', "Malayalam n_ types the chillu ൻ"),
        ('<kbd>kd]</kbd><b>ꯛ</b>', "Meetei Mayek kd] types the final k ꯛ"),
        ('<kbd>Alt+1</kbd></td><td><kbd>F3</kbd></td><td>Hindi-Phonetic.xml</td>',
         "Hindi phonetic on Alt+1 and F3"),
]:
    check(row in page, f"row missing: {what}")

# stands alone
check('<meta charset="utf-8">' in page, "no UTF-8 declaration")
check("<script" not in page.lower(), "the page has a script")
check(not re.search(r'(src|href)="(?!#|data:)', page), "the page loads something from elsewhere")
check("Nirmala UI" in page, "no Windows Indic font in the font stack")

# a keymap config.xml does not list, and a broken one, in a copy of the folder
copy = os.path.join(work, "keymaps")
shutil.rmtree(copy, ignore_errors=True)
os.makedirs(os.path.join(copy, "Data"))
shutil.copy(os.path.join(keymaps_dir, "config.xml"), copy)
shutil.copy(os.path.join(data_dir, "Tamil-Phonetic.xml"), os.path.join(copy, "Data"))
with open(os.path.join(copy, "Data", "Extra.xml"), "w", encoding="utf-8") as f:
    f.write("<Keymap><Header><LCID>0439</LCID></Header><Data><E><Display>0950</Display>"
            "<Character>0950</Character><Keys>4F4D</Keys></E></Data></Keymap>")
with open(os.path.join(copy, "Data", "Broken.xml"), "w", encoding="utf-8") as f:
    f.write("<Keymap><Header>")
out = os.path.join(work, "korimohelp.html")
run = subprocess.run([sys.executable, generator, "--keymaps", copy, "--out", out],
                     capture_output=True, text=True)
check(run.returncode == 0, f"the generator failed on a broken keymap: {run.stderr}")
check("Broken.xml" in run.stderr, "the broken keymap is not reported on stderr")
if run.returncode == 0:
    with open(out, encoding="utf-8") as f:
        small = f.read()
    got = sections(small)
    check(got.get(anchor("Extra.xml")) == [("OM", "ॐ")], "the unlisted keymap is not covered")
    check(anchor("Tamil-Phonetic.xml") in got, "the listed keymap is missing beside a broken one")
    check("could not be read as keymaps: Broken.xml" in small, "the broken keymap is not named")

for failure in failures:
    print("FAIL", failure)
print(f"help page: {len(files)} keymaps checked, {len(failures)} failures")
sys.exit(1 if failures else 0)
