#!/usr/bin/env python3
"""Generates the bundled keymaps, the default configuration and the keymap guide.

Reads the scheme tables in keymaps/schemes/ and writes
  keymaps/Data/<Language>-Phonetic.xml and <Language>-InScript.xml (for the
  languages whose catalogue row names a column of that table),
  keymaps/config.xml and keymaps/README.md.

A column of a scheme table is one keymap's cells. A column named "NAME/BASE"
is a variant of the column BASE (to its left): a cell "·" in it is BASE's
cell of that row, so that a variant lists only where it differs.

Usage: keymapgen.py [--schemes DIR] [--out DIR]

A table is refused (exit 1, one message per fault on stderr) when two of its
entries have the same key sequence, when it names a code point that is not
assigned in the script's block (or among the few characters every script
shares), or when its text is not in normalization form C; the InScript table
also when a printable key has no row or a cell is neither text nor one of
<self> and <none>.
"""

import argparse
import os
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
DOTTED_CIRCLE = "\u25CC"
ZWJ, ZWNJ = "\u200D", "\u200C"
# names that the tables use for the invisible joiners
TOKENS = {"<ZWJ>": ZWJ, "<ZWNJ>": ZWNJ}
SELF, NONE = "<self>", "<none>"
SAME = "\u00B7"  # a variant column's cell that repeats its base column's cell
# every key of a US keyboard that types a printable character, unshifted then shifted
UNSHIFTED = "`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./"
SHIFTED = "~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?"
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


def expand(cell):
    """A table cell with the joiners' names replaced by the joiners."""
    for name, ch in TOKENS.items():
        cell = cell.replace(name, ch)
    return cell


def visible(text):
    """The joiners named, for the guide."""
    return text.replace(ZWJ, "(ZWJ)").replace(ZWNJ, "(ZWNJ)")


# ---------------------------------------------------------------- tables

def read_tsv(path):
    """Yields (line number, fields) of the non-comment lines.

    A comment line starts with "#" not followed by a tab: "#<TAB>..." is the row
    of the # key."""
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or (line.startswith("#") and not line.startswith("#\t")):
                continue
            yield number, line.split("\t")


def read_catalogue(path):
    """The languages in menu order. A row names the column of each table that
    makes its keymap ("-": none); the phonetic cell may instead name an earlier
    language whose phonetic keymap it shares. A catalogue with a "script"
    column and no "phonetic"/"inscript" ones uses that column for both."""
    rows = []
    header = None
    for _n, fields in read_tsv(path):
        if header is None:
            header = fields
            continue
        row = dict(zip(header, fields))
        row.setdefault("phonetic", row.get("script", "-"))
        row.setdefault("inscript", row.get("script", "-"))
        rows.append(row)
    names = [r["language"] for r in rows]
    for r in rows:
        r["shares"] = r["phonetic"] if r["phonetic"] in names else None
        if r["shares"]:
            r["phonetic"] = "-"
    return rows


class Columns:
    """The columns of one table: each one's base column, and its script."""

    def __init__(self, header, first, allowed, where):
        self.names, self.base = [], {}
        for field in header[first:]:
            name, _, base = field.partition("/")
            if base and base not in self.names:
                raise TableError(f"{where}: column {name} is a variant of {base}, which is not a column "
                                 f"to its left")
            self.names.append(name)
            self.base[name] = base or None
        self.script = {}
        for name in self.names:
            root = name
            while self.base[root]:
                root = self.base[root]
            if root not in allowed:
                raise TableError(f"{where}: column {root} names no script of the assigned table")
            self.script[name] = root
        self.fields = [f.partition("/")[0] for f in header]

    def row(self, fields, where, errors):
        """The row's cells by column, a variant's "·" replaced by its base's cell."""
        row = dict(zip(self.fields, fields))
        for name in self.names:
            if row[name] == SAME:
                if not self.base[name]:
                    errors.append(f"{where}: column {name} has no base column to repeat")
                    row[name] = "-"
                else:
                    row[name] = row[self.base[name]]
        return row


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


def parse_phonetic(path, wanted, allowed, errors):
    """-> {column: Keymap}, the rows for the guide, the rules and the columns."""
    header = None
    columns = None
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
            columns = Columns(header, 2, allowed, where)
            missing = [s for s in wanted if s not in columns.names]
            if missing:
                raise TableError(f"{where}: no column for {', '.join(missing)}")
            continue
        if len(fields) != len(header):
            errors.append(f"{where}: {len(fields)} columns, the header has {len(header)}")
            continue
        row = {name: expand(cell) for name, cell in columns.row(fields, where, errors).items()}
        row["where"] = where
        row["keylist"] = row["keys"].split(" ") if row["keys"] != "-" else []
        for s in columns.names:
            if row[s] != "-":
                check_text(strip_circle(row[s]), columns.script[s], allowed, where, errors)
        rows.append(row)
    if columns is None:
        raise TableError(f"{os.path.basename(path)}: no header")

    keymaps = {}
    for s in wanted:
        keymaps[s] = build_phonetic(s, rows, rules, errors)
    return keymaps, rows, rules, columns


def build_phonetic(script, rows, rules, errors):
    """The entries of one column (named script here, as most columns are a script)."""
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


def parse_inscript(path, wanted, allowed, errors):
    """-> {column: Keymap}, the rows for the guide and the columns.

    A row whose key is one key says what that key types; a longer key is a
    sequence of keys that types its cell instead of what the keys type one by
    one. A cell is the text typed (a leading "◌" only makes a mark readable),
    <self> for the key's own character or <none> for nothing."""
    header = None
    columns = None
    keymaps = {}
    rows = []
    for number, fields in read_tsv(path):
        where = Source(path, number)
        if header is None:
            header = fields
            if header[0] != "key":
                raise TableError(f"{where}: the first column of the header is key")
            columns = Columns(header, 1, allowed, where)
            missing = [s for s in wanted if s not in columns.names]
            if missing:
                raise TableError(f"{where}: no column for {', '.join(missing)}")
            keymaps = {s: Keymap(f"InScript {s}") for s in columns.names}
            continue
        if len(fields) != len(header):
            errors.append(f"{where}: {len(fields)} columns, the header has {len(header)}")
            continue
        row = columns.row(fields, where, errors)
        row["where"] = where
        key = row["key"]
        if not key or any(not 32 < ord(c) < 127 for c in key):
            errors.append(f"{where}: the key '{key}' is not made of printable keys")
            continue
        rows.append(row)
        for s in columns.names:
            cell = row[s]
            if cell == NONE:
                continue
            if cell == SELF:
                if len(key) != 1:
                    errors.append(f"{where}: {SELF} is for a single key, not the sequence '{key}'")
                    continue
                text = key
            elif cell in ("", "-"):
                errors.append(f"{where}: cell '{cell}' of {s}: write {NONE} for a key that types nothing "
                              f"or {SELF} for a key that types its own character")
                continue
            else:
                text = strip_circle(expand(cell))
                check_text(text, columns.script[s], allowed, where, errors)
            keymaps[s].add(key, text, where, errors)
    if header is None:
        raise TableError(f"{os.path.basename(path)}: no header")
    given = {r["key"] for r in rows}
    missing = [k for k in UNSHIFTED + SHIFTED if k not in given]
    if missing:
        errors.append(f"{os.path.basename(path)}: no row for the keys {' '.join(missing)} "
                      f"(write {NONE} for a key that types nothing)")
    return {s: keymaps[s] for s in wanted}, rows, columns


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
    entries = [(lang, "Phonetic", lang["phonetic_tkey1"], lang["phonetic_tkey2"])
               for lang in catalogue if lang["phonetic"] != "-"]
    entries += [(lang, "InScript", "None", "None") for lang in catalogue if lang["inscript"] != "-"]
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


def readme(catalogue, phonetic, inscript):
    """phonetic: (rows, rules, columns) of the phonetic table; inscript: (rows, columns)."""
    p_rows, rules, p_cols = phonetic
    i_rows, i_cols = inscript
    out = ["# Bundled keymaps", "",
           "This file is generated by `tools/keymapgen/keymapgen.py` from the tables in",
           "`schemes/`; edit the tables and run the generator again.", ""] + INTRO + [
           "| Language | Script | Phonetic | Alt key | F key | InScript | LCID |",
           "|---|---|---|---|---|---|---|"]
    for lang in catalogue:
        k1, k2 = lang["phonetic_tkey1"], lang["phonetic_tkey2"]
        alt = f"Alt+{k1}" if k1 != "None" else "none"
        fk = FUNCTION_KEYS[int(k2)] if k2 != "None" else "none"
        column = lang["inscript"] if lang["inscript"] != "-" else lang["phonetic"]
        script = SCRIPT_NAMES[(i_cols if lang["inscript"] != "-" else p_cols).script[column]]
        if lang["phonetic"] != "-":
            phon = file_name(lang, "Phonetic")
        elif lang["shares"]:
            phon = f"{lang['shares']}'s"
            alt = fk = "-"
        else:
            phon = alt = fk = "-"
        ins = file_name(lang, "InScript") if lang["inscript"] != "-" else "-"
        out.append(f"| {lang['language']} | {script} | {phon} | {alt} | {fk} | {ins} | {lang['lcid']} |")
    out += [""] + LCID_NOTE + [""] + NOTES + [""]
    shown = {}
    for lang in catalogue:
        name = lang["language"]
        column = lang["inscript"] if lang["inscript"] != "-" else lang["phonetic"]
        script = (i_cols if lang["inscript"] != "-" else p_cols).script[column]
        out += [f"## {name} ({SCRIPT_NAMES[script]})", ""]
        if lang["shares"]:
            out += [f"{name} is typed phonetically with the phonetic keymap of {lang['shares']}, "
                    "whose letters are the same.", ""]
        elif lang["phonetic"] != "-":
            if lang["phonetic"] in shown:
                out += [f"{file_name(lang, 'Phonetic')} has the keys of {shown[lang['phonetic']]} "
                        f"({lang['language']}'s input language, {lang['lcid']}).", ""]
            else:
                shown[lang["phonetic"]] = file_name(lang, "Phonetic")
                out += phonetic_section(lang, lang["phonetic"], p_cols.script[lang["phonetic"]], p_rows, rules)
        if lang["inscript"] != "-":
            out += inscript_section(lang, lang["inscript"], i_rows)
    return "\n".join(out)


def phonetic_section(lang, column, script, rows, rules):
    s = column
    out = [f"### {lang['language']} phonetic ({file_name(lang, 'Phonetic')})", ""]
    sample = [r for r in rows if r["kind"] == "consonant" and r[s] != "-"][0]
    virama = strip_circle(([r[s] for r in rows if r["kind"] == "virama"] + ["-"])[0])
    key = sample["keylist"][0]
    if virama != "-":
        out += ["A consonant typed alone carries the virama; the keys of a vowel after it",
                f"replace the virama by the vowel sign (`{key}` {sample[s]}{virama}, "
                f"`{key}a` {sample[s]}). Consonants typed in a row keep the virama",
                "between them and form conjuncts. Type `a` after a consonant for the bare",
                "consonant, for example before a space.", ""]
    else:
        out += PHONETIC_INTRO.get(s, []) + [""]
    out += ["| Keys | Vowel | Sign after a consonant |", "|---|---|---|"]
    for r in rows:
        if r["kind"] == "vowel" and r[s] != "-":
            ind, sign = r[s].split(" ")
            sample_sign = sample[s] + strip_circle(sign)
            shown = sign if sign != DOTTED_CIRCLE else ("(inherent)" if virama != "-" else "(not written)")
            out.append(f"| {keys_md(r['keylist'])} | {ind} | {shown} ({sample_sign}) |")
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
            out.append(f"| {keys_md(r['keylist'])} | {md(visible(r[s]))} |")
    if s in rules["addak"]:
        out += ["", f"Doubling the first key of a consonant types the addak {rules['addak'][s]} before it: "
                "`kk`, `kkh`, `cch`, `TT`.", ""]
    if s in rules["tippi"]:
        key, mark, short = rules["tippi"][s]
        out += [f"`{key}` after a syllable types the tippi {DOTTED_CIRCLE}{mark} after the vowels "
                f"{', '.join('`' + k + '`' for k in short)} and the bindi otherwise.", ""]
    used = {k for r in rows if r[s] != "-" for k in r["keylist"]}
    lit = [k for k in rules["literal"].get("all", []) if k not in used]
    out += ["", "Punctuation keys that the scheme does not use type themselves: " + md(" ".join(lit)) + "", ""]
    return out


def inscript_cell(key, cell):
    if cell == SELF:
        return f"{md(key)} (itself)"
    if cell == NONE:
        return "(nothing)"
    return md(visible(expand(cell)))


def inscript_section(lang, column, rows):
    s = column
    out = [f"### {lang['language']} InScript ({file_name(lang, 'InScript')})", "",
           "One key per character; Shift gives the second level.", "",
           "| Key | Types | Shift+Key | Types |", "|---|---|---|---|"]
    by_key = {r["key"]: r[s] for r in rows}
    for lo, hi in zip(UNSHIFTED, SHIFTED):
        out.append(f"| {md(lo)} | {inscript_cell(lo, by_key.get(lo, NONE))} | "
                   f"{md(hi)} | {inscript_cell(hi, by_key.get(hi, NONE))} |")
    sequences = [r for r in rows if len(r["key"]) > 1 and r[s] != NONE]
    if sequences:
        out += ["", "Key sequences: the later keys replace what the earlier ones typed.", "",
                "| Keys | Types |", "|---|---|"]
        out += [f"| {keys_md([r['key']])} | {inscript_cell(r['key'], r[s])} |" for r in sequences]
    out += [""] + INSCRIPT_NOTES.get(s, []) + ([""] if s in INSCRIPT_NOTES else [])
    return out


INTRO = [
    "Most languages have two keymaps in `Data/`: a phonetic one and the InScript",
    "layout. Konkani, Maithili, Bodo and Dogri are typed phonetically with Hindi's",
    "phonetic keymap, whose letters are theirs, and have InScript keymaps of their",
    "own; Manipuri (Meetei Mayek) and Santali (Ol Chiki) have InScript keymaps",
    "only, Urdu, Kashmiri and Sindhi (Perso-Arabic) phonetic ones only. The",
    "default `config.xml` puts the phonetic keymaps of the first eight languages on",
    "Alt+1 to Alt+8 (F3 to F10 when toggling with function keys), Keymap off on",
    "Alt+0 (F2); every other keymap starts without a toggle key until one is",
    "assigned in the settings.",
    "",
]

LCID_NOTE = [
    "The LCID is the keymap's input language: the Windows language identifier of",
    "its language. Urdu has 0420 and Nepali 0461, the identifiers under which",
    "Windows registers its Urdu and Nepali keyboards (0820 and 0861, their Indian",
    "variants, have none). Kashmiri (0460) and Sindhi (0859) have the identifiers of",
    "their Perso-Arabic forms, Manipuri its own (0458). Maithili, Bodo, Dogri and",
    "Santali have no Windows LCID: Windows knows them by name only. Their keymaps",
    "carry 1000, the identifier Windows gives a language that has none",
    "(LOCALE_CUSTOM_UNSPECIFIED); no keyboard layout is registered under it, so",
    "switching to one of these keymaps leaves the input language as it is.",
]

PHONETIC_INTRO = {
    "arab": [
        "Text is typed in logical order, as it is read; the window shows it right to",
        "left. Each consonant key types its letter (`k` ک); the short vowels `a`, `i`,",
        "`u` are not written (`kitaab` کتاب), the long ones add their letter (`kaa`",
        "کا). At the end of a word Urdu writes e and ai with ے (`hai` ہے); inside a",
        "word with ی, typed `E`, `I` or `ii` (`mEre` میرے). A vowel at the start of a",
        "word is written with alif (`ek` ایک, `aap` آپ). `.a` `.i` `.u` type the",
        "short vowel marks, `.d` the shadda, `.h` the jazm.",
    ],
}
PHONETIC_INTRO["ks"] = PHONETIC_INTRO["sd"] = PHONETIC_INTRO["arab"][:4] + [
    "کا). A vowel at the start of a word is written with alif (`ek`). `.a` `.i`",
    "`.u` type the short vowel marks, `.d` the shadda, `.h` the jazm.",
]

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
    "- Devanagari: `aE` types ॲ, the candra a of Marathi (अ with the candra).",
    "- Bengali: `a.h` and `e.h` type অ and এ with a ZWJ before the virama, which",
    "  Bengali writes before the ya-phala of a vowel: `a.hyaa` অ‍্যা.",
    "- Malayalam: `ou` types the modern au sign ൗ (`kou` കൗ); `au` the older",
    "  two-part sign ൌ.",
    "- Devanagari and Gujarati: `.c` types the candra sign, as ITRANS writes it",
    "  (`ka.c` कॅ), beside `E`.",
    "- Odia: `y` ଯ and `Y` ୟ, as Bengali has `y` য and `Y` য় (ITRANS spells ୟ",
    "  `Y`: `samaYa` ସମୟ); `v` and `w` type ୱ, the letter Odia writes for them;",
    "  `L` ଳ; `R` and `.D` ଡ଼; `OM` ଓଁ; no khanda ta and no E/O.",
    "- Assamese: the Bengali scheme with ৰ for `r` and ৱ for `v` and `w`;",
    "  `OM` ওঁ.",
    "- Nepali: the Devanagari scheme without the nukta letters and candra vowels",
    "  Nepali does not write: `z` types ज and `f` फ; `R` types र with the virama",
    "  and ZWJ, the half form of Nepali's `rya` (`gaRyo` गर्‍यो).",
    "- Sanskrit: the Devanagari scheme without the nukta letters and candra",
    "  vowels; `L` ळ of the Vedas; ITRANS's Vedic accents: `\\'` udatta ◌॑ and `\\_`",
    "  anudatta ◌॒ (`a\\'gnimI\\_Le` अ॑ग्निमी॒ळे).",
    "- Konkani, Maithili, Bodo and Dogri are typed with Hindi's phonetic keymap:",
    "  their letters are Hindi's.",
    "- Urdu, Kashmiri, Sindhi (Perso-Arabic): the consonant keys of the scheme",
    "  type the letters Sanscript's Urdu scheme gives them (aspirates with ھ,",
    "  `T D R` ٹ ڈ ڑ, `q K G z f` ق خ غ ز ف, `x` خ too); the Arabic letters",
    "  without an ITRANS key are `.s` ث, `S` ص, `.z` ذ, `Z` ض, `.Z` ظ, `.t` ط, `H`",
    "  ح, `'` ع, `zh` ژ, `^` ء, `Y` ئ; `M`, `.n`, `.N` the nun ghunna ں; `.`",
    "  `,` `;` `?` the Arabic ۔ ، ؛ ؟; the digit keys the Urdu digits.",
    "- Kashmiri adds `ts` ژ and `tsh` ژھ (its ts), the vowels `aE` ٲ, `.o` ۄ, `.O`",
    "  ۆ, `.E` ێ and the marks `.e` ◌ٕ and `.I` ◌ٚ.",
    "- Sindhi writes its own letters: `k` ڪ, `kh` ک, `gh` گه, `Ch` ڇ, `jh` جه,",
    "  `T` ٽ, `Th` ٺ, `D` ڊ, `Dh` ڍ, `N` ڻ, `th` ٿ, `dh` ڌ, `ph` ڦ, `bh` ڀ, `R`",
    "  ڙ, `~N` ڱ, `~n` ڃ, `h` ه, `y` ي, and the implosives `bb` ٻ, `jj` ڄ, `dd` ڏ,",
    "  `gg` ڳ; e, ai and ii are all ي.",
    "",
    "Joiners, in every script: `^+` types ZWJ (U+200D) and `^-` ZWNJ (U+200C).",
    "Typed after a consonant, which carries the virama, they give the explicit",
    "virama (`k^-` क्‌, ক্‌) and the half forms (`r^+` र्‍, ರ್‍, `n^+` ന്‍).",
    "`.h` types the virama alone.",
    "",
    "## The InScript keymaps",
    "",
    "The InScript keymaps follow the InScript layout of IS 13194: each script puts",
    "its letters on the keys of the Devanagari letters they match, so a typist",
    "moves between scripts without learning new keys. Where a script has no",
    "letter for a key, a punctuation key types its own character (as `-` does in",
    "every script) and a letter key types nothing. The digit keys type the",
    "script's digits.",
    "",
    "Enhanced InScript (IS 16350) puts its additions on a third level reached",
    "with AltGr; Vantrel Korimo composes printable keys only (a key pressed with",
    "Ctrl or Alt goes to the application), so the additions in use are typed with",
    "key sequences instead, in which a later key replaces what the earlier ones",
    "typed. Where IS 13194 (ISCII) has a sequence for a character, it is that one:",
    "",
    "- `d` `d`: the virama and ZWNJ, the explicit virama (क्‌); `d` `]`: the",
    "  virama and ZWJ, for half forms (र्‍). This is how ZWNJ and ZWJ are typed.",
    "- The nukta key `]` after a vowel or sign types its extended form: `F]` ऌ,",
    "  `R]` ॡ, `+]` ॠ, `=]` ◌ॄ, `f]` ◌ॢ, `r]` ◌ॣ, `X]` ॐ, `>]` ऽ, in the",
    "  scripts that have them.",
    "",
    "Our own, where IS 13194 has none:",
    "",
    "- `]` `]` (a nukta cannot follow a nukta): ZWJ alone, for the few words that",
    "  need it before a virama (Bengali র‍্যালি).",
    "- `>` `>`: the double danda ॥ (U+0965, not two dandas).",
    "",
    "Where the two references differ, the InScript layout of IS 13194 and the",
    "Enhanced InScript of IS 16350 (as Debian's m17n-db has them), the keymaps",
    "follow Enhanced InScript, the layout of today's systems, unless a section",
    "says otherwise; where a language's Enhanced InScript table leaves a key",
    "without a character, a punctuation key types itself and a letter key nothing,",
    "except for the letters our keymaps kept before (they are listed as",
    "additions). The same `]` that types the nukta after a letter types, after",
    "another key, what AltGr and that key type in Enhanced InScript (`X]` ॐ,",
    "`>]` ऽ), wherever that is IS 13194's nukta sequence.",
    "",
    "Each script's section lists its sequences and where it departs from the",
    "Devanagari arrangement.",
]

INSCRIPT_NOTES = {
    "deva": [
        "Hindi follows IS 13194 key for key. Our own addition: `D@` (अ and the",
        "candra, as ॲ was written before it had a code of its own) types ॲ, the",
        "candra a of Marathi loanwords.",
    ],
    "mr": [
        "Marathi has Hindi's keys, but `!` types ॲ, as Marathi's Enhanced InScript",
        "has it (IS 13194 gives ऍ there): Marathi writes ॲ in its loanwords",
        "(ॲपल), not ऍ. `D@` types it too.",
    ],
    "ne": [
        "Nepali follows its Enhanced InScript table: Hindi's keys without the",
        "candra vowels and the short e and o, which Nepali does not write (`!`, `@`,",
        "`\\`, `|`, `` ` `` and `~` type themselves, `z Z V B` nothing); `J` ऱ and",
        "`N` ळ as in Hindi.",
        "The half form of Nepali's `rya` is the virama and ZWJ: `jd]/e` र्‍या.",
    ],
    "sa": [
        "Sanskrit follows its Enhanced InScript table: `|` types ॠ and `\\` ◌ॄ (the",
        "candra vowels of Hindi's keys are not Sanskrit), `N` ळ; ॐ is `X]`, ऽ `>]`,",
        "ॡ `R]`, ऌ `F]`. The table leaves `` ` ``, `~` and `z` free; they type the",
        "Vedic accents: `` ` `` udatta ◌॑, `~` anudatta ◌॒, `z` the double svarita ◌᳚.",
    ],
    "kok": [
        "Konkani follows its Enhanced InScript table: Hindi's keys with ॲ on `!`,",
        "without the short e and o (`` ` ~ `` type themselves, `z Z` nothing) and",
        "without ऩ and ऴ.",
    ],
    "mai": [
        "Maithili follows its Enhanced InScript table: `z` types the tone mark ʼ,",
        "`Z` itself, `\\` the avagraha sign ◌꣱ and `|` अ꣱; the short e and its sign",
        "leave `z Z` for the third level, typed here `s]` ◌ॆ and `S]` ऎ.",
    ],
    "brx": [
        "Bodo follows its Enhanced InScript table: `z` types the tone mark ʼ; no",
        "candra vowels (`! @ \\ |` type themselves); ळ, on AltGr there, is not",
        "a Bodo letter, and `N` types nothing (the table types a Latin N).",
    ],
    "doi": [
        "Dogri follows its Enhanced InScript table: `z` types the tone mark ʼ; no",
        "candra vowels, short e or o (`!`, `@`, `\\`, `|`, `` ` `` and `~` type themselves); the",
        "nukta letters are the letter and `]` (ज़ `p]`, ड़ `[]`).",
    ],
    "as": [
        "Assamese follows Bengali's keys with ৰ on `j` (`#` ◌্ৰ, `$` ৰ্) and ৱ on",
        "`b`. `^` and `*` type ত্ৰ and শ্ৰ, with Assamese's ৰ, as its IS 13194",
        "table has them (its Enhanced InScript table has the Bengali ত্র শ্র).",
        "`!` and `z` stay as in Bengali.",
    ],
    "orya": [
        "Odia follows its Enhanced InScript table, which is the Bengali",
        "arrangement: `/` ୟ, `?` ଯ, `b` ୱ, `N` ଳ. ଡ଼ and ଢ଼ are `[]` and `{]`.",
    ],
    "mtei": [
        "Manipuri follows the Meetei Mayek table of Enhanced InScript key for key:",
        "`d` is the apun iyek ◌꯭, `]` the lum iyek ◌꯬, `>` the cheikhei ꯫; the keys",
        "of letters Meetei Mayek does not have type nothing (punctuation keys type",
        "themselves). A final consonant (lonsum), on AltGr there, is typed as",
        "Malayalam's chillus are: the letter, the virama and `]` (`kd]` ꯛ, `Ud]`",
        "ꯡ, `Fd]` ꯢ).",
    ],
    "olck": [
        "Santali follows the Ol Chiki table of Enhanced InScript key for key. Ol",
        "Chiki is an alphabet: `d` types the letter ᱚ, so the script has no key",
        "sequences; `z` types the aspiration mark ᱷ (ᱠᱷ `kz`).",
    ],
    "beng": [
        "Bengali follows the Bengali InScript layout, which departs from the",
        "Devanagari arrangement in one place: `/` types য় and `?` types য, so the",
        "ya-phala is `d?` (ব্য `yd?`). ব is on `y` only, `b` has no letter. ড় and ঢ়",
        "are ড and ঢ with the nukta (`[]`, `{]`), as Unicode writes them. `ld]`",
        "types khanda ta ৎ (the soft-halant sequence: it was once written ত,",
        "virama, ZWJ). Our own addition: a virama typed right after অ or এ (`Dd`,",
        "`Sd`) comes after a ZWJ, which is how Bengali writes the ya-phala of a",
        "vowel: `Dd?e` অ‍্যা. `!` types itself, as in IS 13194: Enhanced InScript",
        "puts অ্যা there without the ZWJ, which today's renderers draw as a broken",
        "cluster; its `z` (ʼ) is not a Bengali letter.",
    ],
    "guru": [
        "Punjabi follows the Gurmukhi Enhanced InScript layout: `x` types the tippi",
        "ੰ and `X` the bindi ਂ, the two nasal signs of Gurmukhi (IS 13194's",
        "Gurmukhi table has neither there); the addak ੱ is on `$` and, as before,",
        "on `` ` ``; the adak bindi ਁ, which modern Punjabi does not use, is on `~`. ੜ is a letter of its own, typed `[]` (ਡ and the nukta",
        "key). The nukta letters ਖ਼ ਗ਼ ਜ਼ ਫ਼ are the letter and `]`, ਲ਼ and ਸ਼ also",
        "`N` and `M`. Gurmukhi has no reph and none of the conjuncts of `$ % ^ & *`",
        "and no vocalic r, so `% ^ & *` and `= + ! @ \\ | < ?` type themselves.",
    ],
    "gujr": [
        "Gujarati follows IS 13194 key for key; Gujarati has no short e and o, so",
        "`z` and `Z` type nothing and `` ` `` and `~` type themselves.",
    ],
    "knda": [
        "Kannada follows IS 13194 key for key.",
    ],
    "telu": [
        "Telugu follows the Telugu InScript layout: `%` and `^` type జ్ఞ and త్ర,",
        "as both IS 13194 and Enhanced InScript have them; `$` keeps its symbol",
        "(Telugu writes no reph).",
    ],
    "mlym": [
        "Malayalam follows Enhanced InScript: the chillus have keys, `V` ൻ, `>` ൽ,",
        "`*` ൾ, `\\` ർ, `X` ൺ, and `q` types the modern au sign ൗ (IS 13194 has",
        "ഩ, the danda, ശ്ര, ZWNJ and the candrabindu there, and the older au sign",
        "ൌ on `q`). Those are typed `v]` ഩ, `x]` ◌ഁ, `q]` ൌ, ശ്ര `Mdj`; Malayalam",
        "has no danda. `$ % ^` keep their symbols; Malayalam has no nukta, so `]`",
        "types itself. A chillu is also typed as IS 13194 typed it, the letter, the",
        "virama and the nukta key (then the virama and ZWJ): `Cd]` ൺ, `vd]` ൻ,",
        "`jd]` ർ, `nd]` ൽ, `Nd]` ൾ, `kd]` ൿ. After any other letter `d]` types the",
        "virama and ZWJ.",
    ],
    "taml": [
        "Tamil follows the Tamil InScript layout: the keys of letters that Tamil",
        "does not write (the voiced and aspirated stops) type nothing, and the",
        "punctuation keys among them (`[ { : \" = +`) type themselves, as do",
        "`$ %`. The aytham ஃ is on `_`, the visarga's key. `^` types த்ர and `*`",
        "ஷ்ர, as Enhanced InScript has them (IS 13194's Tamil table leaves both",
        "to their symbols); ஶ்ர is `Mdj`.",
    ],
}


# ---------------------------------------------------------------- main

def generate(schemes, out_dir, assigned_path):
    allowed = load_assigned(assigned_path)
    catalogue = read_catalogue(os.path.join(schemes, "catalogue.tsv"))
    wanted_p = list(dict.fromkeys(lang["phonetic"] for lang in catalogue if lang["phonetic"] != "-"))
    wanted_i = list(dict.fromkeys(lang["inscript"] for lang in catalogue if lang["inscript"] != "-"))
    errors = []
    phonetic, phonetic_rows, rules, p_cols = parse_phonetic(os.path.join(schemes, "phonetic.tsv"),
                                                            wanted_p, allowed, errors)
    inscript, inscript_rows, i_cols = parse_inscript(os.path.join(schemes, "inscript.tsv"), wanted_i,
                                                     allowed, errors)
    if errors:
        raise TableError("\n".join(errors))

    files = {}
    for lang in catalogue:
        if lang["phonetic"] != "-":
            files[os.path.join("Data", file_name(lang, "Phonetic"))] = keymap_xml(
                lang, "Phonetic", phonetic[lang["phonetic"]])
        if lang["inscript"] != "-":
            files[os.path.join("Data", file_name(lang, "InScript"))] = keymap_xml(
                lang, "InScript", inscript[lang["inscript"]])
    files["config.xml"] = config_xml(catalogue)
    files["README.md"] = readme(catalogue, (phonetic_rows, rules, p_cols), (inscript_rows, i_cols))
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
