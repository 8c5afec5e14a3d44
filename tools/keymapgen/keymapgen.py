#!/usr/bin/env python3
"""Generates the bundled keymaps, the default configuration and the keymap guide.

Reads the scheme tables in keymaps/schemes/ and writes
  keymaps/Data/<Language>-Phonetic.xml and <Language>-InScript.xml,
  keymaps/config.xml and keymaps/README.md.

Usage: keymapgen.py [--schemes DIR] [--out DIR]

A table is refused (exit 1, one message per fault on stderr) when two of its
entries have the same key sequence, when it names a code point that is not
assigned in the script's block (or among the few characters every script
shares), or when its text is not in normalization form C.
"""

import argparse
import os
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
DOTTED_CIRCLE = "\u25CC"
SCRIPT_NAMES = {}


class TableError(Exception):
    pass


# ---------------------------------------------------------------- code points

def load_assigned(path):
    """script -> set of code points it may use (its block's assigned ones and the shared ones)."""
    blocks, shared = {}, set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            script, name, _block, ranges = line.split("\t")
            points = set()
            for r in ranges.split():
                lo, _, hi = r.partition("-")
                points.update(range(int(lo, 16), int(hi or lo, 16) + 1))
            if script == "shared":
                shared = points
            else:
                blocks[script] = points
                SCRIPT_NAMES[script] = name
    return {s: p | shared for s, p in blocks.items()}


class Source:
    """Where a cell came from, for messages."""

    def __init__(self, path, line):
        self.path, self.line = path, line

    def __str__(self):
        return f"{os.path.basename(self.path)}:{self.line}"


def check_text(text, script, allowed, where, errors):
    for ch in text:
        if ord(ch) not in allowed[script]:
            name = unicodedata.name(ch, "unassigned")
            errors.append(f"{where}: U+{ord(ch):04X} ({name}) is not assigned in the "
                          f"{SCRIPT_NAMES[script]} block")
    if unicodedata.normalize("NFC", text) != text:
        errors.append(f"{where}: '{text}' is not in normalization form C")


def strip_circle(text):
    return text.replace(DOTTED_CIRCLE, "")


# ---------------------------------------------------------------- tables

def read_tsv(path):
    """Yields (line number, fields) of the non-comment lines."""
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            yield number, line.split("\t")


def read_catalogue(path):
    rows = []
    header = None
    for _n, fields in read_tsv(path):
        if header is None:
            header = fields
            continue
        rows.append(dict(zip(header, fields)))
    return rows


class Keymap:
    """The entries of one keymap in file order, refusing a second use of a key sequence."""

    def __init__(self, name):
        self.name = name
        self.entries = []  # (keys, text, source)
        self.by_keys = {}

    def add(self, keys, text, where, errors):
        if not keys:
            return
        for ch in keys:
            if not 32 < ord(ch) < 127:
                errors.append(f"{where}: key sequence {keys!r} holds a key that is not printable ASCII")
                return
        if keys in self.by_keys:
            errors.append(f"{where}: key sequence '{keys}' is already given at {self.by_keys[keys]} "
                          f"({self.name})")
            return
        self.by_keys[keys] = where
        self.entries.append((keys, text, where))


def parse_phonetic(path, scripts, allowed, errors):
    """-> {script: Keymap}, and the rows for the guide."""
    header = None
    rules = {"literal": {}, "addak": {}, "tippi": {}}
    rows = []
    for number, fields in read_tsv(path):
        where = Source(path, number)
        if fields[0].startswith("@"):
            rule = fields[0][1:]
            if rule == "literal":
                rules["literal"][fields[1]] = fields[2].split(" ")
            elif rule == "addak":
                rules["addak"][fields[1]] = strip_circle(fields[2])
            elif rule == "tippi":
                rules["tippi"][fields[1]] = (fields[2], strip_circle(fields[3]), fields[4].split(" "))
            else:
                errors.append(f"{where}: unknown rule {fields[0]}")
            continue
        if header is None:
            header = fields
            missing = [s for s in scripts if s not in header]
            if missing:
                raise TableError(f"{where}: no column for {', '.join(missing)}")
            continue
        if len(fields) != len(header):
            errors.append(f"{where}: {len(fields)} columns, the header has {len(header)}")
            continue
        row = dict(zip(header, fields))
        row["where"] = where
        row["keylist"] = row["keys"].split(" ") if row["keys"] != "-" else []
        for s in scripts:
            if row[s] != "-":
                check_text(strip_circle(row[s]), s, allowed, where, errors)
        rows.append(row)

    keymaps = {}
    for s in scripts:
        keymaps[s] = build_phonetic(s, rows, rules, errors)
    return keymaps, rows, rules


def build_phonetic(script, rows, rules, errors):
    km = Keymap(f"phonetic {script}")
    vowels = []  # (keys, independent, sign, key of the row)
    virama = ""
    for row in rows:
        cell = row[script]
        if row["kind"] == "virama" and cell != "-":
            virama = strip_circle(cell)
        if row["kind"] == "vowel" and cell != "-":
            parts = cell.split(" ")
            if len(parts) != 2:
                errors.append(f"{row['where']}: a vowel cell holds the vowel and its sign")
                continue
            independent, sign = parts[0], strip_circle(parts[1])
            for k in row["keylist"]:
                vowels.append((k, independent, sign, row["keylist"][0]))

    tippi = rules["tippi"].get(script)
    addak = rules["addak"].get(script)
    anusvara = None
    if tippi:
        for row in rows:
            if row["kind"] == "sign" and tippi[0] in row["keylist"] and row[script] != "-":
                anusvara = strip_circle(row[script])

    def nasal(keys, text, vowel_row, where):
        # the nasal sign follows the vowel: tippi after the short ones, the sign of the row otherwise
        if tippi and anusvara is not None:
            mark = tippi[1] if vowel_row in tippi[2] else anusvara
            km.add(keys + tippi[0], text + mark, where, errors)

    # independent vowels first, then each consonant followed by its syllables
    for k, independent, _sign, first in vowels:
        src = [r for r in rows if r["kind"] == "vowel" and k in r["keylist"]][0]["where"]
        km.add(k, independent, src, errors)
        nasal(k, independent, first, src)
    for row in rows:
        cell = row[script]
        if row["kind"] != "consonant" or cell == "-":
            continue
        forms = [(k, cell) for k in row["keylist"]]
        if addak and row["keys"][0].isalpha() and row.get("geminate", "yes") != "no":
            forms += [(k[0] + k, addak + cell) for k in row["keylist"] if k[0].isalpha() and k not in ("R", "L", "GY", "x") and not k.startswith("~")]
        for k, letter in forms:
            km.add(k, letter + virama, row["where"], errors)
            for vk, _independent, sign, first in vowels:
                km.add(k + vk, letter + sign, row["where"], errors)
                nasal(k + vk, letter + sign, first, row["where"])
    for row in rows:
        cell = row[script]
        if row["kind"] in ("final", "sign") and cell != "-":
            for k in row["keylist"]:
                km.add(k, strip_circle(cell), row["where"], errors)
    for key in rules["literal"].get("all", []) + rules["literal"].get(script, []):
        if key not in km.by_keys:
            km.add(key, key, "literal", errors)
    return km


def parse_inscript(path, scripts, allowed, errors):
    header = None
    keymaps = {s: Keymap(f"InScript {s}") for s in scripts}
    rows = []
    for number, fields in read_tsv(path):
        where = Source(path, number)
        if header is None:
            header = fields
            continue
        row = dict(zip(header, fields))
        if len(row["key"]) != 1:
            errors.append(f"{where}: InScript keys are single keys")
            continue
        rows.append(row)
        for s in scripts:
            if row[s] != "-":
                text = strip_circle(row[s])
                check_text(text, s, allowed, where, errors)
                keymaps[s].add(row["key"], text, where, errors)
    return keymaps, rows


# ---------------------------------------------------------------- output

def codes(text):
    return "".join(f"{u:04X}" for u in utf16_units(text))


def utf16_units(text):
    data = text.encode("utf-16-be")
    return [int.from_bytes(data[i:i + 2], "big") for i in range(0, len(data), 2)]


def display_of(text):
    """What the help views show: a leading combining mark sits on a dotted circle."""
    if text and unicodedata.category(text[0]) in ("Mn", "Mc"):
        return DOTTED_CIRCLE + text
    return text


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def keymap_xml(lang, keyboard, km):
    out = ['<?xml version="1.0" encoding="UTF-8"?>', "<Keymap>", "  <Header>",
           f"    <LCID>{lang['lcid']}</LCID>", "    <SMP>False</SMP>",
           f"    <Language>{esc(lang['language'])}</Language>",
           f"    <Keyboard>{keyboard}</Keyboard>", "    <Encoding>Unicode</Encoding>",
           "  </Header>", "  <Data>"]
    for keys, text, _where in km.entries:
        out += ["    <Entry>",
                f"      <Display>{codes(display_of(text))}</Display>",
                f"      <Character>{codes(text)}</Character>",
                f"      <Keys>{''.join(f'{ord(c):02X}' for c in keys)}</Keys>",
                "    </Entry>"]
    out += ["  </Data>", "</Keymap>", ""]
    return "\n".join(out)


def config_xml(catalogue):
    out = ['<?xml version="1.0" encoding="UTF-8"?>', "<Config>", "  <Local>",
           "    <ToggleMode>1</ToggleMode>", "    <TKey1>0</TKey1>", "    <TKey2>0</TKey2>",
           "    <TextServices>True</TextServices>", "    <Surround>True</Surround>",
           "  </Local>", "  <Keymaps>"]
    entries = [(lang, "Phonetic", lang["phonetic_tkey1"], lang["phonetic_tkey2"]) for lang in catalogue]
    entries += [(lang, "InScript", "None", "None") for lang in catalogue]
    for lang, keyboard, k1, k2 in entries:
        out += ["    <Entry>",
                f"      <Language>{esc(lang['language'])}</Language>",
                f"      <Keyboard>{keyboard}</Keyboard>",
                "      <Encoding>Unicode</Encoding>",
                f"      <Filename>{file_name(lang, keyboard)}</Filename>",
                f"      <TKey1>{k1}</TKey1>",
                f"      <TKey2>{k2}</TKey2>",
                "    </Entry>"]
    out += ["  </Keymaps>", "</Config>", ""]
    return "\n".join(out)


def file_name(lang, keyboard):
    return f"{lang['language']}-{keyboard}.xml"


def md(text):
    return text.replace("|", "\\|").replace("`", "\\`").replace("*", "\\*").replace("_", "\\_")


def keys_md(keylist):
    return " ".join(f"`{k}`" if "`" not in k else f"`` {k} ``" for k in keylist)


FUNCTION_KEYS = ["F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "ScrLk"]


def readme(catalogue, phonetic_rows, rules, inscript_rows, notes):
    out = ["# Bundled keymaps", "",
           "This file is generated by `tools/keymapgen/keymapgen.py` from the tables in",
           "`schemes/`; edit the tables and run the generator again.", "",
           "Every language has two keymaps in `Data/`: a phonetic one and the InScript",
           "layout. The default `config.xml` puts the phonetic keymaps on Alt+1 to Alt+8",
           "(F3 to F10 when toggling with function keys), Keymap off on Alt+0 (F2); the",
           "InScript keymaps and Marathi start without a toggle key until one is assigned in",
           "the settings.", "",
           "| Language | Phonetic | Alt key | F key | InScript |", "|---|---|---|---|---|"]
    for lang in catalogue:
        k1, k2 = lang["phonetic_tkey1"], lang["phonetic_tkey2"]
        alt = f"Alt+{k1}" if k1 != "None" else "none"
        fk = FUNCTION_KEYS[int(k2)] if k2 != "None" else "none"
        out.append(f"| {lang['language']} | {file_name(lang, 'Phonetic')} | {alt} | {fk} | "
                   f"{file_name(lang, 'InScript')} |")
    out += [""] + notes + [""]
    seen = set()
    for lang in catalogue:
        s = lang["script"]
        if s in seen:
            first = [c for c in catalogue if c["script"] == s][0]["language"]
            out += [f"## {lang['language']}", "",
                    f"{lang['language']} uses the {SCRIPT_NAMES[s]} keymaps of {first} "
                    f"(same keys, input language {lang['lcid']}).", ""]
            continue
        seen.add(s)
        out += phonetic_section(lang, phonetic_rows, rules)
        out += inscript_section(lang, inscript_rows)
    return "\n".join(out)


def phonetic_section(lang, rows, rules):
    s = lang["script"]
    out = [f"## {lang['language']} ({SCRIPT_NAMES[s]})", "",
           f"### {lang['language']} phonetic ({file_name(lang, 'Phonetic')})", ""]
    sample = [r for r in rows if r["kind"] == "consonant" and r[s] != "-"][0]
    virama = strip_circle([r[s] for r in rows if r["kind"] == "virama"][0])
    out += ["A consonant typed alone carries the virama; the keys of a vowel after it",
            f"replace the virama by the vowel sign (`{sample['keylist'][0]}` {sample[s]}{virama}, "
            f"`{sample['keylist'][0]}a` {sample[s]}). Consonants typed in a row keep the virama",
            "between them and form conjuncts. Type `a` after a consonant for the bare",
            "consonant, for example before a space.", ""]
    out += ["| Keys | Vowel | Sign after a consonant |", "|---|---|---|"]
    for r in rows:
        if r["kind"] == "vowel" and r[s] != "-":
            ind, sign = r[s].split(" ")
            sample_sign = sample[s] + strip_circle(sign)
            out.append(f"| {keys_md(r['keylist'])} | {ind} | {sign if sign != DOTTED_CIRCLE else '(inherent)'} "
                       f"({sample_sign}) |")
    out += ["", "| Keys | Consonant |", "|---|---|"]
    for r in rows:
        if r["kind"] == "consonant" and r[s] != "-":
            out.append(f"| {keys_md(r['keylist'])} | {r[s]} |")
    finals = [r for r in rows if r["kind"] == "final" and r[s] != "-"]
    if finals:
        out += ["", "| Keys | Final form (no vowel follows) |", "|---|---|"]
        out += [f"| {keys_md(r['keylist'])} | {r[s]} |" for r in finals]
    out += ["", "| Keys | Sign |", "|---|---|"]
    for r in rows:
        if r["kind"] == "sign" and r[s] != "-":
            out.append(f"| {keys_md(r['keylist'])} | {md(r[s])} |")
    if s in rules["addak"]:
        out += ["", f"Doubling the first key of a consonant types the addak {rules['addak'][s]} before it: "
                "`kk`, `kkh`, `cch`, `TT`.", ""]
    if s in rules["tippi"]:
        key, mark, short = rules["tippi"][s]
        out += [f"`{key}` after a syllable types the tippi {DOTTED_CIRCLE}{mark} after the vowels "
                f"{', '.join('`' + k + '`' for k in short)} and the bindi otherwise.", ""]
    lit = rules["literal"].get("all", [])
    out += ["", "Punctuation keys that the scheme does not use type themselves: " + md(" ".join(lit)) + "", ""]
    return out


def inscript_section(lang, rows):
    s = lang["script"]
    out = [f"### {lang['language']} InScript ({file_name(lang, 'InScript')})", "",
           "One key per character; Shift gives the second level.", "",
           "| Key | Types | Shift+Key | Types |", "|---|---|---|---|"]
    by_key = {r["key"]: r[s] for r in rows}
    pairs = list(zip("`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./",
                     "~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?"))
    for lo, hi in pairs:
        a = by_key.get(lo, "-")
        b = by_key.get(hi, "-")
        out.append(f"| {md(lo)} | {md(a)} | {md(hi)} | {md(b)} |")
    out.append("")
    return out


NOTES = [
    "## The phonetic scheme",
    "",
    "All phonetic keymaps share one ITRANS-style romanization: `k kh g gh ~N`,",
    "`ch Ch/chh j jh ~n`, `T Th D Dh N`, `t th d dh n`, `p ph b bh m`,",
    "`y r l v/w sh Sh s h`, `x` (kSh) and `GY` (j~n); vowels `a aa/A i ii/I u uu/U",
    "RRi/R^i RRI/R^I L^i L^I e ai o au`; `M` anusvara (also `.n`), `H` visarga, `.N`",
    "candrabindu, `.a` avagraha, `|` danda, `||` double danda, digit keys the",
    "script's digits. Where a script departs from it:",
    "",
    "- Devanagari (Hindi, Marathi): `E` and `O` type the candra vowels ऍ ऑ of",
    "  English loanwords; `q K G z f .D .Dh Y` the nukta forms; `L` ळ and `R` ऱ",
    "  (Marathi); `.` is also the danda, `..` the double danda; `OM` ॐ.",
    "- Bengali: `b` and `v` both type ব (the script has one letter); `y` য, `Y` য়;",
    "  `R` and `.D` ড়, `.Dh` ঢ়; `t_` khanda ta ৎ; no E/O candra vowels.",
    "- Gurmukhi (Punjabi): no vocalic r/l; doubling a consonant's first key types",
    "  the addak (`pakkaa` ਪੱਕਾ); `M` types the tippi after a, i, u, uu and the",
    "  bindi after the other vowels, `.n` always the tippi; `sh` and `Sh` both ਸ਼;",
    "  `L` ਲ਼, `R` and `.D` ੜ, `K G z f` ਖ਼ ਗ਼ ਜ਼ ਫ਼; `.N` adak bindi.",
    "- Gujarati: `E` and `O` the candra vowels ઍ ઑ; `.` types a full stop (the",
    "  danda is `|`); `OM` ૐ.",
    "- Kannada, Telugu, Malayalam, Tamil: `e` and `o` are the short vowels, `E` and",
    "  `O` the long ones; `L` the retroflex l, `R` the alveolar r, `zh` the",
    "  retroflex approximant; `.` types a full stop.",
    "- Malayalam: a consonant followed by `_` types its chillu: `n_` ൻ, `N_` ൺ,",
    "  `r_` ർ, `l_` ൽ, `L_` ൾ, `k_` ൿ; `nR` types ന്റ; vocalic r is `R^i` only,",
    "  so that `RRi` types റ്റി.",
    "- Vocalic l is `L^i`/`L^I` in every script (not ITRANS `LLi`), so that `LLi`",
    "  types the doubled retroflex l (വെള്ളി, ಹಳ್ಳಿ).",
    "- Tamil: the script has one letter for each consonant series, so the voiced",
    "  and aspirated keys type the plain letter (`g`, `kh`, `gh` க; `d`, `th`, `dh`",
    "  த; `D`, `Th`, `Dh` ட; `b`, `ph`, `bh` ப; `Ch`, `chh` ச; `jh` ஜ); `n` types",
    "  ந and `^n` ன; `sh` ஶ, `Sh` ஷ, `s` ஸ; `M` types ம் and `H` the aytham ஃ;",
    "  `f` ஃப and `z` ஜ; no candrabindu or avagraha.",
    "- Kannada: `z` ಜ಼ and `f` ಫ಼ with the nukta.",
]


# ---------------------------------------------------------------- main

def generate(schemes, out_dir, assigned_path):
    allowed = load_assigned(assigned_path)
    catalogue = read_catalogue(os.path.join(schemes, "catalogue.tsv"))
    scripts = list(dict.fromkeys(lang["script"] for lang in catalogue))
    for s in scripts:
        if s not in allowed:
            raise TableError(f"catalogue.tsv: unknown script {s}")
    errors = []
    phonetic, phonetic_rows, rules = parse_phonetic(os.path.join(schemes, "phonetic.tsv"),
                                                    scripts, allowed, errors)
    inscript, inscript_rows = parse_inscript(os.path.join(schemes, "inscript.tsv"), scripts, allowed, errors)
    if errors:
        raise TableError("\n".join(errors))

    files = {}
    for lang in catalogue:
        s = lang["script"]
        files[os.path.join("Data", file_name(lang, "Phonetic"))] = keymap_xml(lang, "Phonetic", phonetic[s])
        files[os.path.join("Data", file_name(lang, "InScript"))] = keymap_xml(lang, "InScript", inscript[s])
    files["config.xml"] = config_xml(catalogue)
    files["README.md"] = readme(catalogue, phonetic_rows, rules, inscript_rows, NOTES)
    for rel, text in files.items():
        path = os.path.join(out_dir, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    return files


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--schemes", default=os.path.join(REPO, "keymaps", "schemes"))
    p.add_argument("--out", default=os.path.join(REPO, "keymaps"))
    p.add_argument("--assigned", default=os.path.join(HERE, "assigned.txt"))
    a = p.parse_args(argv)
    try:
        files = generate(a.schemes, a.out, a.assigned)
    except (TableError, OSError, KeyError, IndexError, ValueError) as e:
        print(f"keymapgen: refused: {e}" if isinstance(e, TableError) else f"keymapgen: error: {e!r}",
              file=sys.stderr)
        return 1
    print(f"keymapgen: wrote {len(files)} files to {a.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
