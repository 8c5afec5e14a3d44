#!/usr/bin/env python3
"""Checks the bundled keymaps against outside references and prints the figures.

Not part of the test suite: it fetches its references itself (Debian packages
with apt-get download, unpacked into a work folder without installing them,
and the npm package @indic-transliteration/sanscript) and needs korimo-cli.

- InScript keymaps: key agreement with the InScript tables of Debian's m17n-db
  (the Enhanced InScript table "*-inscript2*.mim" and, where there is one, the
  older "*-inscript.mim"). A key counts where the reference gives it a
  character on the first or the Shift level; it agrees when our keymap types
  the same text (NFC). Keys the reference leaves alone are listed as our
  additions, not counted.
- Phonetic keymaps of Indic scripts: dictionary words from Debian (aspell word
  lists, the LibreOffice translations for Assamese and Nepali, the FreeDict
  Sanskrit dictionary) are turned into ITRANS by Sanscript, typed with the
  keymap through `korimo-cli type`, and must come out as the word.
- Perso-Arabic phonetic keymaps: the letter each ITRANS key types, compared
  with Sanscript's Urdu scheme (vowel marks aside).

Usage: check-references.py [--cli PATH] [--work DIR] [--words N] [--keymaps DIR] [-v]
"""

import argparse
import gettext
import glob
import gzip
import json
import os
import re
import subprocess
import sys
import tempfile
import unicodedata
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
KEYS = "`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?"
SANSCRIPT = "@indic-transliteration/sanscript@1.3.3"
DEBS = ["m17n-db", "aspell-hi", "aspell-mr", "aspell-bn", "aspell-pa", "aspell-gu", "aspell-kn",
        "aspell-te", "aspell-ml", "aspell-ta", "aspell-or", "libreoffice-l10n-as", "libreoffice-l10n-ne",
        "dict-freedict-san-deu"]

# our InScript keymap -> the m17n tables it is compared with, Enhanced InScript first
INSCRIPT = {
    "Hindi": ["hi-inscript2", "hi-inscript"], "Marathi": ["mr-inscript2", "mr-inscript"],
    "Bengali": ["bn-inscript2", "bn-inscript"], "Gujarati": ["gu-inscript2", "gu-inscript"],
    "Kannada": ["kn-inscript2", "kn-inscript"], "Tamil": ["ta-inscript2", "ta-inscript"],
    "Punjabi": ["pa-inscript2-guru", "pa-inscript"], "Telugu": ["te-inscript2", "te-inscript"],
    "Malayalam": ["ml-inscript2", "ml-inscript"], "Odia": ["or-inscript2", "or-inscript"],
    "Assamese": ["as-inscript2", "as-inscript"], "Nepali": ["ne-inscript2-deva"],
    "Sanskrit": ["sa-inscript2"], "Konkani": ["kok-inscript2-deva"],
    "Maithili": ["mai-inscript2", "mai-inscript"], "Bodo": ["brx-inscript2-deva"],
    "Dogri": ["doi-inscript2-deva"], "Manipuri": ["mni-inscript2-mtei"], "Santali": ["sat-inscript2-olck"],
}
# our phonetic keymap -> (Sanscript scheme, word source)
PHONETIC = {
    "Hindi": ("devanagari", "aspell:hi"), "Marathi": ("devanagari", "aspell:mr"),
    "Bengali": ("bengali", "aspell:bn"), "Punjabi": ("gurmukhi", "aspell:pa"),
    "Gujarati": ("gujarati", "aspell:gu"), "Kannada": ("kannada", "aspell:kn"),
    "Telugu": ("telugu", "aspell:te"), "Malayalam": ("malayalam", "aspell:ml"),
    "Tamil": ("tamil", "aspell:ta"), "Odia": ("oriya", "aspell:or"),
    "Assamese": ("assamese", "libreoffice:as"), "Nepali": ("devanagari", "libreoffice:ne"),
    "Sanskrit": ("devanagari", "freedict:san"),
}
PERSO_ARABIC = ["Urdu", "Kashmiri", "Sindhi"]
BLOCKS = {"devanagari": (0x900, 0x97F), "bengali": (0x980, 0x9FF), "assamese": (0x980, 0x9FF),
          "gurmukhi": (0xA00, 0xA7F), "gujarati": (0xA80, 0xAFF), "oriya": (0xB00, 0xB7F),
          "tamil": (0xB80, 0xBFF), "telugu": (0xC00, 0xC7F), "kannada": (0xC80, 0xCFF),
          "malayalam": (0xD00, 0xD7F)}


# ---------------------------------------------------------------- fetching

def fetch(work):
    debs = os.path.join(work, "debs")
    root = os.path.join(work, "root")
    os.makedirs(debs, exist_ok=True)
    for name in DEBS:
        if glob.glob(os.path.join(debs, f"{name}_*.deb")):
            continue
        print(f"fetching {name}", file=sys.stderr)
        subprocess.run(["apt-get", "download", "-q", name], cwd=debs, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for deb in glob.glob(os.path.join(debs, "*.deb")):
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    npm = os.path.join(work, "npm")
    if not os.path.isdir(os.path.join(npm, "node_modules", "@indic-transliteration", "sanscript")):
        print(f"fetching {SANSCRIPT}", file=sys.stderr)
        os.makedirs(npm, exist_ok=True)
        subprocess.run(["npm", "install", "--silent", "--no-save", "--prefix", npm, SANSCRIPT], check=True)
    return root, npm


# ---------------------------------------------------------------- m17n tables

def mim_tokens(text):
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == ";":
            j = text.find("\n", i)
            i = n if j < 0 else j + 1
        elif c.isspace():
            i += 1
        elif c in "()":
            yield c
            i += 1
        elif c == '"':
            j, s = i + 1, []
            while text[j] != '"':
                if text[j] == "\\":
                    j += 1
                s.append(text[j])
                j += 1
            yield ("str", "".join(s))
            i = j + 1
        elif c == "?":  # a character: ?x or ?\x
            skip = 2 if text[i + 1] == "\\" else 1
            yield ("str", text[i + skip])
            i += skip + 1
        else:
            j, s = i, []
            while j < n and not text[j].isspace() and text[j] not in '()"':
                if text[j] == "\\":
                    j += 1
                s.append(text[j])
                j += 1
            yield ("sym", "".join(s))
            i = j


def mim_keys(path):
    """key -> text of the first and Shift levels of the map "trans"; the first rule wins."""
    stack = [[]]
    with open(path, encoding="utf-8") as f:
        for t in mim_tokens(f.read()):
            if t == "(":
                stack.append([])
            elif t == ")":
                done = stack.pop()
                stack[-1].append(done)
            else:
                stack[-1].append(t)
    table = {}
    for form in stack[0]:
        if isinstance(form, list) and form[:1] == [("sym", "map")]:
            for m in form[1:]:
                if m[:1] != [("sym", "trans")]:
                    continue
                for rule in m[1:]:
                    if (isinstance(rule, list) and len(rule) >= 2 and isinstance(rule[0], tuple)
                            and rule[0][0] == "str" and len(rule[0][1]) == 1 and isinstance(rule[1], tuple)):
                        table.setdefault(rule[0][1], rule[1][1].strip() or rule[1][1])
    return table


def keymap_entries(path):
    out = {}
    for e in ET.parse(path).getroot().find("Data"):
        keys = bytes.fromhex(e.findtext("Keys")).decode("latin-1")
        out[keys] = bytes.fromhex(e.findtext("Character")).decode("utf-16-be")
    return out


def nfc(text):
    return unicodedata.normalize("NFC", text)


def key_agreement(reference, ours):
    """(agreeing, counted, disagreements, additions) over the 94 printable keys."""
    agree, counted, differ, added = 0, 0, [], []
    for k in KEYS:
        mine = nfc(ours.get(k, ""))
        if k in reference:
            counted += 1
            if nfc(reference[k]) == mine:
                agree += 1
            else:
                differ.append(f"{k} {reference[k]!r}/{mine!r}")
        elif mine not in ("", k):
            added.append(k)
    return agree, counted, differ, added


def check_inscript(keymaps, root, verbose):
    m17n = os.path.join(root, "usr", "share", "m17n")
    print("InScript key agreement (keys the reference types on the first and Shift levels)")
    for lang, tables in INSCRIPT.items():
        path = os.path.join(keymaps, "Data", f"{lang}-InScript.xml")
        if not os.path.exists(path):
            continue
        ours = keymap_entries(path)
        for name in tables:
            ref = os.path.join(m17n, name + ".mim")
            if not os.path.exists(ref):
                continue
            agree, counted, differ, added = key_agreement(mim_keys(ref), ours)
            if not counted:
                continue
            line = f"  {lang:10} {name:20} {agree:3}/{counted:<3} {100 * agree / counted:5.1f} %"
            print(line + (f"  differ: {'; '.join(differ)}" if differ and verbose else
                          f"  ({len(differ)} differ)" if differ else ""))
            if verbose and added:
                print(f"  {'':10} {'':20} our additions: {' '.join(added)}")


# ---------------------------------------------------------------- word lists

def aspell_words(path):
    """The words of an aspell word list (prefix-compressed, as word-list-compress writes it)."""
    data = gzip.open(path).read()
    if data[:1] != b"\x02":
        raise ValueError(f"{os.path.basename(path)} is not in the compressed word-list format this reads")
    i, n, prev, out = 1, len(data), b"", []
    while i < n and not (data[i] == 0x1F and i + 1 < n and data[i + 1] == 0xFF):
        shared = data[i]
        i += 1
        if shared == 0x1E:
            shared = 30
            while data[i] == 0xFF:
                shared += 255
                i += 1
            shared += data[i]
            i += 1
        rest = bytearray()
        while i < n and data[i] >= 0x1F and not (data[i] == 0x1F and data[i + 1] == 0xFF):
            if data[i] == 0x1F:
                i += 1
            rest.append(data[i])
            i += 1
        prev = prev[:shared] + bytes(rest)
        out.append(prev.decode("utf-8"))
    return [w for w in out if w]


def script_words(texts, lo, hi):
    words = set()
    for text in texts:
        words.update(re.findall(f"[{chr(lo)}-{chr(hi)}\u200c\u200d]+", text))
    return sorted(words)


def word_source(source, root, block):
    kind, lang = source.split(":")
    if kind == "aspell":
        return aspell_words(os.path.join(root, "usr", "share", "aspell", f"{lang}.cwl.gz"))
    if kind == "libreoffice":
        texts = []
        for mo in glob.glob(os.path.join(root, "usr", "lib", "libreoffice", "program", "resource", lang,
                                         "LC_MESSAGES", "*.mo")):
            with open(mo, "rb") as f:
                texts += [v for v in gettext.GNUTranslations(f)._catalog.values() if isinstance(v, str)]
        return script_words(texts, *block)
    dictionary = os.path.join(root, "usr", "share", "dictd", f"freedict-{lang}-deu.dict.dz")
    return script_words([gzip.open(dictionary).read().decode("utf-8")], *block)


def sanscript(npm, requests):
    """requests: [(text, from, to)] -> results, one node run."""
    program = ("const S=require('@indic-transliteration/sanscript');let d='';"
               "process.stdin.on('data',c=>d+=c).on('end',()=>{const r=JSON.parse(d);"
               "process.stdout.write(JSON.stringify(r.map(([t,f,o])=>S.t(t,f,o))));});")
    run = subprocess.run(["node", "-e", program], input=json.dumps(requests), capture_output=True, text=True,
                         cwd=npm, env=dict(os.environ, NODE_PATH=os.path.join(npm, "node_modules")), check=True)
    return json.loads(run.stdout)


def type_all(cli, keymap, key_lists):
    """Types each key list with the keymap; words are typed in batches separated by spaces."""
    out = []
    for start in range(0, len(key_lists), 400):
        batch = key_lists[start:start + 400]
        run = subprocess.run([cli, "type", "--keymap", keymap], input=" ".join(batch).encode("utf-8"),
                             capture_output=True, timeout=300)
        got = run.stdout.decode("utf-8").split(" ")
        if run.returncode != 0 or len(got) != len(batch):
            got = []
            for keys in batch:
                one = subprocess.run([cli, "type", "--keymap", keymap], input=keys.encode("utf-8"),
                                     capture_output=True, timeout=60)
                got.append(one.stdout.decode("utf-8"))
        out += got
    return out


def check_phonetic(keymaps, cli, root, npm, limit, verbose):
    print(f"Phonetic keymaps: dictionary words through Sanscript's ITRANS, typed key by key "
          f"(up to {limit} words per list)")
    for lang, (scheme, source) in PHONETIC.items():
        path = os.path.join(keymaps, "Data", f"{lang}-Phonetic.xml")
        if not os.path.exists(path):
            continue
        try:
            words = [w for w in word_source(source, root, BLOCKS[scheme]) if len(w) > 1]
        except (OSError, ValueError) as e:
            print(f"  {lang:10} {source:16} not checked: {e}")
            continue
        # the Dravidian form of ITRANS writes the short e and o as e and o, as our keymaps do
        itrans = "itrans_dravidian" if scheme in ("kannada", "telugu", "malayalam", "tamil") else "itrans"
        keys = sanscript(npm, [(w, scheme, itrans) for w in words])
        # Sanscript leaves letters it has no ITRANS for (nukta letters, candra o) as they are
        pairs = [(w, k) for w, k in zip(words, keys) if k.isascii()]
        step = max(1, len(pairs) // limit)
        pairs = pairs[::step][:limit]
        typed = type_all(cli, path, [k for _w, k in pairs])
        bad = [(w, k, t) for (w, k), t in zip(pairs, typed) if nfc(t) != nfc(w)]
        share = 100 * (len(pairs) - len(bad)) / len(pairs) if pairs else 0
        print(f"  {lang:10} {source:16} {len(pairs) - len(bad):5}/{len(pairs):<5} {share:5.1f} %"
              f"  ({len(words) - len(keys and [k for k in keys if k.isascii()])} words without ITRANS left out)")
        for w, k, t in bad[:12 if verbose else 0]:
            print(f"  {'':10} {w} <- {k} -> {t}")


def check_perso_arabic(keymaps, npm, verbose):
    print("Perso-Arabic phonetic keymaps: the letter of each ITRANS key against Sanscript's Urdu scheme")
    marks = re.compile("[\u064b-\u065f\u0670]")
    probes = ["k", "kh", "g", "gh", "ch", "Ch", "j", "jh", "T", "Th", "D", "Dh", "N", "t", "th", "d", "dh",
              "n", "p", "ph", "b", "bh", "m", "y", "r", "l", "v", "sh", "Sh", "s", "h", "q", "K", "G", "z",
              "f", ".D", ".Dh", "kaa", "kii", "kuu", "ke", "kai", "ko", "kau", "aa", "M", ".N", "0", "5"]
    reference = sanscript(npm, [(p, "itrans", "urdu") for p in probes])
    for lang in PERSO_ARABIC:
        path = os.path.join(keymaps, "Data", f"{lang}-Phonetic.xml")
        if not os.path.exists(path):
            continue
        ours = keymap_entries(path)
        agree, differ = 0, []
        for probe, ref in zip(probes, reference):
            want = marks.sub("", ref)
            mine = marks.sub("", ours.get(probe, ""))
            if want == mine:
                agree += 1
            else:
                differ.append(f"{probe} {want}/{mine}")
        print(f"  {lang:10} {agree:3}/{len(probes):<3} {100 * agree / len(probes):5.1f} %"
              + (f"  differ: {'; '.join(differ)}" if verbose and differ else f"  ({len(differ)} differ)"))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--cli", default=os.path.join(REPO, "build", "native", "bin", "korimo-cli"))
    p.add_argument("--keymaps", default=os.path.join(REPO, "keymaps"))
    p.add_argument("--work", help="folder for the references, kept for the next run (default: a "
                                  "temporary folder)")
    p.add_argument("--words", type=int, default=2000, help="words per list")
    p.add_argument("-v", "--verbose", action="store_true", help="list the disagreements")
    a = p.parse_args()
    if not os.access(a.cli, os.X_OK):
        sys.exit(f"check-references: no korimo-cli at {a.cli} (build it, or give --cli)")
    with tempfile.TemporaryDirectory() as temporary:
        root, npm = fetch(a.work or temporary)
        check_inscript(a.keymaps, root, a.verbose)
        check_phonetic(a.keymaps, a.cli, root, npm, a.words, a.verbose)
        check_perso_arabic(a.keymaps, npm, a.verbose)


if __name__ == "__main__":
    main()
