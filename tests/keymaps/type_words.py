#!/usr/bin/env python3
"""Types a word list with a keymap through korimo-cli and compares the text.

Each line of the list: keys, TAB, the text a plain window must show, and
optionally TAB and the text it must show when Backspace is Undo (when that
differs). In the keys, <BS> stands for Backspace and <SP> for a space.
Every word is typed on its own, once with and once without Backspace as
Undo; then all words without Backspace are typed in one go, separated by
spaces, which must give the texts separated by spaces.

With --every-key, the words together must also press every key sequence of
the keymap (a single key anywhere, a longer sequence as typed in a row), so
that a list for a one-key-per-character layout touches every letter and sign.

Usage: type_words.py CLI KEYMAP WORDLIST [--every-key]
"""

import subprocess
import sys
import xml.etree.ElementTree as ET


def read_list(path):
    words = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) not in (2, 3):
                sys.exit(f"{path}:{number}: expected 2 or 3 tab-separated fields")
            keys = fields[0].replace("<BS>", "\x08").replace("<SP>", " ")
            plain = fields[1]
            undo = fields[2] if len(fields) == 3 else plain
            words.append((number, fields[0], keys, plain, undo))
    return words


def type_keys(cli, keymap, keys, surround):
    cmd = [cli, "type", "--keymap", keymap] + (["--surround"] if surround else [])
    run = subprocess.run(cmd, input=keys.encode("utf-8"), capture_output=True, timeout=60)
    if run.returncode != 0:
        return None, run.stderr.decode("utf-8", "replace").strip()
    return run.stdout.decode("utf-8"), None


def show(text):
    return f"'{text}' [{' '.join(f'{ord(c):04X}' for c in text)}]"


def untouched(keymap, words):
    """The key sequences of the keymap that no word presses."""
    typed = [keys for _n, _w, keys, _p, _u in words]
    missing = []
    for entry in ET.parse(keymap).getroot().find("Data"):
        seq = bytes.fromhex(entry.findtext("Keys")).decode("latin-1")
        if not any(seq in keys for keys in typed):
            missing.append(seq)
    return missing


def main():
    cli, keymap, path = sys.argv[1:4]
    words = read_list(path)
    failures = 0
    checks = 0
    if "--every-key" in sys.argv[4:]:
        checks += 1
        missing = untouched(keymap, words)
        if missing:
            failures += 1
            print(f"{path}: no word presses {' '.join(missing)}")
    for number, written, keys, plain, undo in words:
        for surround, want in ((False, plain), (True, undo)):
            got, err = type_keys(cli, keymap, keys, surround)
            checks += 1
            if got != want:
                failures += 1
                mode = "Backspace as Undo" if surround else "plain Backspace"
                print(f"{path}:{number}: {written} ({mode}): got {show(got) if err is None else err}, "
                      f"want {show(want)}")
    whole = [(k, p) for _n, _w, k, p, _u in words if "\x08" not in k and not k.endswith(" ")]
    keys = " ".join(k for k, _p in whole)
    want = " ".join(p for _k, p in whole)
    for surround in (False, True):
        got, err = type_keys(cli, keymap, keys, surround)
        checks += 1
        if got != want:
            failures += 1
            print(f"{path}: all words in one go (surround {surround}): got {show(got) if err is None else err}")
    print(f"{path}: {checks - failures} of {checks} checks passed ({len(words)} words)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
