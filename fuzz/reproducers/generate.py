#!/usr/bin/env python3
"""Writes the large hostile inputs that are not kept in the tree, into OUTDIR.

Each file lands in the folder of the fuzz target that replays it:
  keymap/  keymap files for the load check
  xml/     documents for the XML reader
  typing/  keymap + key stream inputs of the typing target (see typing_fuzz.cpp)
  config/  (none yet)

Usage: generate.py OUTDIR [--huge]   (--huge adds the 50 MB value)
"""
import os
import sys


def key_text(value, width=4):
    """The value-th key sequence of `width` letters, in sorting order."""
    letters = []
    for _ in range(width):
        letters.append(chr(ord("a") + value % 26))
        value //= 26
    return "".join(reversed(letters))


def keymap(keys, smp=False, characters=None):
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<Keymap>\n  <Header>\n    <LCID>0439</LCID>\n']
    if smp:
        out.append("    <SMP>True</SMP>\n")
    out.append("  </Header>\n  <Data>\n")
    for i, k in enumerate(keys):
        ch = characters[i] if characters else "0915"
        hexkeys = "".join("%02X" % ord(c) for c in k)
        out.append("    <Entry><Display>%s</Display><Character>%s</Character><Keys>%s</Keys></Entry>\n"
                   % (ch, ch, hexkeys))
    out.append("  </Data>\n</Keymap>\n")
    return "".join(out)


def maximum_pivot(n):
    """An order in which every partition's middle row holds the largest key of
    its range. Such a partition only moves that row to the end of the range
    and leaves the rest as the range sorted first: n levels of recursion that
    no tail call removes, and quadratic time."""
    slots = list(range(n))
    value = [0] * n
    for hi in range(n - 1, 0, -1):
        mid = hi // 2
        value[slots[mid]] = hi
        slots[hi], slots[mid] = slots[mid], slots[hi]
    value[slots[0]] = 0
    return [key_text(value[s]) for s in range(n)]


def minimum_pivot(n):
    """An order in which every partition's middle row holds the smallest key of
    its range. Such a partition only moves that row to the front of the range
    and leaves the rest as the next range: n levels, quadratic time."""
    slots = list(range(n))  # which final value's slot stands at each position
    value = [0] * n
    for lo in range(n - 1):
        mid = (lo + n - 1) // 2
        value[slots[mid]] = lo
        slots[lo], slots[mid] = slots[mid], slots[lo]
    value[slots[n - 1]] = n - 1
    return [key_text(value[s]) for s in range(n)]


def main():
    out = sys.argv[1]
    for sub in ("keymap", "xml", "typing", "config"):
        os.makedirs(os.path.join(out, sub), exist_ok=True)

    def write(name, text, encoding="utf-8"):
        with open(os.path.join(out, name), "wb") as f:
            f.write(text if isinstance(text, bytes) else text.encode(encoding))

    write("keymap/maximum-pivot-20000.xml", keymap(maximum_pivot(20000)))
    write("keymap/maximum-pivot-100000.xml", keymap(maximum_pivot(100000)))
    write("keymap/minimum-pivot-100000.xml", keymap(minimum_pivot(100000)))
    write("keymap/entries-100000.xml", keymap([key_text(v) for v in range(100000)]))
    write("keymap/entries-100001.xml", keymap([key_text(v) for v in range(100001)]))
    long_keys = ["a", "a" * 1000]
    write("keymap/keys-1000.xml", keymap(long_keys))
    write("keymap/keys-65.xml", keymap(["a", "a" * 65]))
    # typing input: the keymap, a NUL, then the key stream (typing_fuzz.cpp)
    write("typing/keys-64-stream.bin", keymap(["a", "a" * 64]).encode() + b"\0\0" + b"a" * 200)
    attributes = " ".join('a%d="x"' % i for i in range(100000))
    write("xml/attributes-100000.xml", "<r %s/>" % attributes)
    write("xml/duplicate-attribute-last.xml", "<r %s a0=\"y\"/>" % attributes)
    if "--huge" in sys.argv:
        write("xml/value-50MB.xml", "<r>" + "x" * (50 << 20) + "</r>")


if __name__ == "__main__":
    main()
