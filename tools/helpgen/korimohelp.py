#!/usr/bin/env python3
"""Writes the help page korimohelp.html that ships beside the program.

The page explains how to switch and use keymaps and lists every keymap in the
Data folder with the keys it knows and what they type, read from the keymap
files themselves and from config.xml (language names and toggle keys), so a
keymap added to Data is covered by the next build. A keymap file that cannot
be read is named on the page and on stderr, and the page is still written.

Usage: korimohelp.py --keymaps DIR [--icons DIR] --out FILE
  DIR holds config.xml and Data/*.xml; the icons DIR korimo-off.ico and
  korimo-on.ico, whose 256 pixel pictures the page shows inline.
"""

import argparse
import base64
import html
import os
import struct
import sys
import xml.etree.ElementTree as ET

FUNCTION_KEYS = ["F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "ScrLk"]
LANGUAGE_TAGS = {"0439": "hi", "044e": "mr", "0445": "bn", "0446": "pa", "0447": "gu",
                 "044b": "kn", "044a": "te", "044c": "ml", "0449": "ta", "0409": "en", "0448": "or",
                 "044d": "as", "0461": "ne", "044f": "sa", "0457": "kok", "0458": "mni", "0420": "ur",
                 "0460": "ks", "0859": "sd"}
# languages without a Windows LCID of their own (their keymaps carry 1000), by name
NAME_TAGS = {"maithili": "mai", "bodo": "brx", "dogri": "doi", "santali": "sat"}
INDIC_FONTS = ('"Nirmala UI", Mangal, Aparajita, Vrinda, Shonar Bangla, Raavi, Shruti, '
               'Tunga, Gautami, Kartika, Latha, Vijaya, "Lohit Devanagari", "Lohit Bengali", '
               '"Lohit Gurmukhi", "Lohit Gujarati", "Lohit Kannada", "Lohit Telugu", '
               '"Lohit Malayalam", "Lohit Tamil", Kalinga, "Lohit Odia", "Lohit Assamese", Eeyek, '
               'UniOl, "Urdu Typesetting", "Segoe UI", Lateef, Nafees, "Noto Sans", sans-serif')


class KeymapError(Exception):
    pass


# ---------------------------------------------------------------- reading

def child(element, name):
    """First child whose name equals name without regard to case, or None."""
    for c in element:
        if isinstance(c.tag, str) and c.tag.lower() == name.lower():
            return c
    return None


def text_of(element, name, default=""):
    c = child(element, name) if element is not None else None
    return (c.text or "") if c is not None else default


def decode_codes(codes, path):
    """A code string: groups of four hex digits, UTF-16 units."""
    if len(codes) % 4:
        raise KeymapError(f"{path}: code string '{codes}' is not groups of four digits")
    try:
        units = b"".join(int(codes[i:i + 4], 16).to_bytes(2, "big")
                         for i in range(0, len(codes), 4))
    except ValueError:
        raise KeymapError(f"{path}: '{codes}' is not hexadecimal") from None
    return units.decode("utf-16-be", errors="surrogatepass")


def decode_keys(keys, path):
    if len(keys) % 2:
        raise KeymapError(f"{path}: key sequence '{keys}' is not groups of two digits")
    try:
        return "".join(chr(int(keys[i:i + 2], 16)) for i in range(0, len(keys), 2))
    except ValueError:
        raise KeymapError(f"{path}: '{keys}' is not hexadecimal") from None


def read_keymap(path):
    """(lcid, [(keys, display, character)]) in file order."""
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError) as e:
        raise KeymapError(f"{path}: {e}") from None
    header, data = child(root, "Header"), child(root, "Data")
    if header is None or data is None or child(header, "LCID") is None:
        raise KeymapError(f"{path}: Header, LCID or Data is missing")
    entries = []
    for entry in data:
        if not isinstance(entry.tag, str):
            continue
        parts = [child(entry, n) for n in ("Keys", "Display", "Character")]
        if any(p is None for p in parts):
            raise KeymapError(f"{path}: an entry lacks Keys, Display or Character")
        keys, display, character = ((p.text or "").strip() for p in parts)
        entries.append((decode_keys(keys, path), decode_codes(display, path),
                        decode_codes(character, path)))
    return text_of(header, "LCID").strip(), entries


def read_config(path):
    """(toggle mode, off key per mode, [entry dicts]); empty when unreadable."""
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError) as e:
        print(f"korimohelp: {path}: {e}", file=sys.stderr)
        return 1, ("0", "0"), []
    local = child(root, "Local")
    mode = "2" if text_of(local, "ToggleMode").strip() == "2" else "1"
    off = (text_of(local, "TKey1", "0").strip(), text_of(local, "TKey2", "0").strip())
    entries = []
    keymaps = child(root, "Keymaps")
    for entry in (keymaps if keymaps is not None else []):
        if isinstance(entry.tag, str):
            entries.append({n: text_of(entry, n).strip() for n in
                            ("Language", "Keyboard", "Encoding", "Filename", "TKey1", "TKey2")})
    return int(mode), off, entries


def icon_png(path):
    """The PNG picture inside an .ico file, or None."""
    try:
        with open(path, "rb") as f:
            data = f.read()
        count = struct.unpack("<HHH", data[:6])[2]
        for i in range(count):
            _w, _h, _c, _r, _p, _b, size, offset = struct.unpack(
                "<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
            if data[offset:offset + 4] == b"\x89PNG":
                return data[offset:offset + size]
    except (OSError, struct.error):
        pass
    return None


# ---------------------------------------------------------------- writing

def esc(text):
    return html.escape(text, quote=True)


def alt_key(value):
    return f"Alt+{value}" if value.isdigit() and 0 <= int(value) <= 9 else ""


def function_key(value):
    return FUNCTION_KEYS[int(value)] if value.isdigit() and int(value) < 12 else ""


def anchor(name):
    return "km-" + "".join(c if c.isalnum() else "-" for c in name.lower())


def rows_of(entries):
    """Entries grouped for reading: consecutive entries that type the same
    text share a cell; consecutive cells whose text starts with the same
    letter share a row (a consonant with its vowel signs); rows of one cell
    are gathered into one row."""
    cells = []
    for keys, display, character in entries:
        if cells and cells[-1]["display"] == display and cells[-1]["character"] == character:
            cells[-1]["keys"].append(keys)
        else:
            cells.append({"keys": [keys], "display": display, "character": character})
    rows = []
    for cell in cells:
        lead = cell["display"][:1]
        if rows and lead and rows[-1]["lead"] == lead:
            rows[-1]["cells"].append(cell)
        else:
            rows.append({"lead": lead, "cells": [cell]})
    merged = []
    for row in rows:
        if len(row["cells"]) == 1 and merged and merged[-1]["single"]:
            merged[-1]["cells"].extend(row["cells"])
        else:
            merged.append({"cells": list(row["cells"]), "single": len(row["cells"]) == 1})
    return merged


def visible_keys(keys):
    return esc(keys.replace(" ", "\u2423")) if keys else "(none)"


def cell_html(cell):
    keys = " ".join(f"<kbd>{visible_keys(k)}</kbd>" for k in cell["keys"])
    shown = esc(cell["display"]) or "&nbsp;"
    extra = ""
    # a shown mark stands on a dotted circle that is not typed
    if cell["character"] != cell["display"].replace("\u25cc", ""):
        typed = " ".join(f"U+{ord(c):04X}" for c in cell["character"]) or "nothing"
        extra = f'<small title="what it types">{esc(typed)}</small>'
    return f'<span class="c">{keys}<b>{shown}</b>{extra}</span>'


STYLE = f"""
body {{ font: 15px/1.5 "Segoe UI", Tahoma, "DejaVu Sans", sans-serif; color: #222;
       margin: 0 auto; max-width: 66em; padding: 0 1.2em 3em; background: #fbfbfa; }}
h1 {{ color: #316262; font-family: "Trebuchet MS", "Segoe UI", sans-serif; margin-bottom: 0; }}
h2 {{ color: #316262; border-bottom: 2px solid #d8e6e5; padding-bottom: .15em; margin-top: 1.8em; }}
h3 {{ margin: 1.6em 0 .3em; }}
.sub {{ color: #666; margin-top: 0; }}
kbd {{ font: 13px Consolas, "DejaVu Sans Mono", monospace; background: #fff;
      border: 1px solid #b9b9b9; border-bottom-width: 2px; border-radius: 4px;
      padding: 0 .3em; white-space: pre; }}
table {{ border-collapse: collapse; margin: .6em 0; }}
th, td {{ border: 1px solid #d5d5d5; padding: .25em .6em; text-align: left; vertical-align: top; }}
th {{ background: #eef4f4; }}
.indic, .c b {{ font-family: {INDIC_FONTS}; }}
.c b {{ font-size: 20px; font-weight: normal; margin-left: .35em; unicode-bidi: plaintext; }}
.grid {{ border: 1px solid #e1e1e1; background: #fff; border-radius: 6px; padding: .3em .5em; }}
.row {{ display: flex; flex-wrap: wrap; gap: .15em 1.1em; padding: .25em 0;
       border-bottom: 1px solid #f0f0f0; }}
.row:last-child {{ border-bottom: none; }}
.c {{ white-space: nowrap; }}
.c small {{ color: #777; margin-left: .3em; font-size: 11px; }}
.icon {{ width: 24px; height: 24px; vertical-align: middle; }}
.toc {{ columns: 3 14em; padding-left: 1.2em; }}
.note {{ background: #fff8e6; border-left: 4px solid #e0b64a; padding: .4em .8em; }}
"""


def page(keymaps_dir, icons_dir):
    mode, off, config = read_config(os.path.join(keymaps_dir, "config.xml"))
    data_dir = os.path.join(keymaps_dir, "Data")
    files = sorted(f for f in os.listdir(data_dir) if f.lower().endswith(".xml")) \
        if os.path.isdir(data_dir) else []
    by_file = {e["Filename"].lower(): e for e in config}
    # the keymaps config.xml lists first, in its order, then the others
    order = [e["Filename"] for e in config if e["Filename"] in files]
    order += [f for f in files if f not in order]

    keymaps, broken = [], []
    for name in order:
        try:
            lcid, entries = read_keymap(os.path.join(data_dir, name))
        except KeymapError as e:
            print(f"korimohelp: {e}", file=sys.stderr)
            broken.append(name)
            continue
        entry = by_file.get(name.lower(), {})
        title = " ".join(x for x in (entry.get("Language"), entry.get("Keyboard")) if x) \
            or os.path.splitext(name)[0]
        keymaps.append({"file": name, "title": title, "lcid": lcid, "entries": entries,
                        "language": entry.get("Language", ""),
                        "alt": alt_key(entry.get("TKey1", "")),
                        "fkey": function_key(entry.get("TKey2", ""))})

    icons = {}
    for state in ("off", "on"):
        png = icon_png(os.path.join(icons_dir, f"korimo-{state}.ico")) if icons_dir else None
        icons[state] = (f'<img class="icon" alt="{state}" src="data:image/png;base64,'
                        f'{base64.b64encode(png).decode()}">') if png else ""

    off_keys = (f"<kbd>Alt+{esc(off[0])}</kbd>" if alt_key(off[0]) else "",
                f"<kbd>{function_key(off[1])}</kbd>" if function_key(off[1]) else "")
    out = ["<!DOCTYPE html>", '<html lang="en">', "<head>", '<meta charset="utf-8">',
           '<meta name="viewport" content="width=device-width, initial-scale=1">',
           "<title>Vantrel Korimo Help</title>", f"<style>{STYLE}</style>", "</head>", "<body>",
           "<h1>Vantrel Korimo</h1>",
           '<p class="sub">Typing Indian scripts in any Windows program</p>']

    out += ["<h2>Getting started</h2>",
            "<p>Vantrel Korimo has no window of its own: it lives as an icon in the "
            f"notification area of the task bar, {icons['off']} while typing is plain "
            f"and {icons['on']} while a keymap is on. Point at the icon to see which keymap "
            "is on. While a keymap is on, the Latin keys you type in any program become text "
            "of the keymap's script: type <kbd>namaste</kbd> with the Hindi keymap and the "
            'program receives <span class="indic" lang="hi">नमस्ते</span>.</p>',
            "<p>Each syllable is worked out as you type: a longer key sequence replaces what a "
            "shorter one typed (<kbd>k</kbd> types "
            '<span class="indic" lang="hi">क्</span>, <kbd>ka</kbd> turns it into '
            '<span class="indic" lang="hi">क</span>, <kbd>kaa</kbd> into '
            '<span class="indic" lang="hi">का</span>). Moving the caret, Tab, Escape, a function '
            "key or a mouse click ends the syllable, so the next key starts a new one.</p>",
            "<p>At its first start Vantrel Korimo says in a notification how to switch a "
            "keymap on. Windows 11 may keep a new icon behind the <kbd>^</kbd> arrow of the "
            "notification area: drag it onto the task bar to keep it in sight. Should a start "
            "meet a problem (a keymap file missing or refused, a hook library that did not "
            "load), a notification says so once; click it for the whole list.</p>"]

    out += ["<h2>Switching keymaps</h2>",
            "<ul>",
            "<li><b>With the keyboard.</b> Each keymap can have a toggle key: "
            "<kbd>Alt</kbd> with a digit, or, when the settings say <i>Avoid Alt key</i>, one "
            "of <kbd>F2</kbd> to <kbd>F12</kbd> and <kbd>Scroll Lock</kbd>. Pressing it "
            "switches its keymap on; pressing it again while that keymap is on switches "
            "typing back to plain. One more key is <b>Keymap off</b>"
            + (f" ({off_keys[mode - 1]} as delivered)" if off_keys[mode - 1] else "")
            + ": it always returns to plain typing.</li>",
            "<li><b>From the tray icon.</b> Click the icon (left or middle button) for the "
            "keymap menu: the keymap that is on carries the check mark; choose another to switch "
            "to it, the checked one or <i>Keymap off</i> to switch off. Pressing Enter or Space "
            "on the selected icon opens the same menu.</li>",
            "<li><b>Per window.</b> Every window remembers the keymap you used in it. Switch to "
            "another program and back, and the keymap switches with the window: Hindi in your "
            "mail, plain in the spreadsheet.</li>",
            "</ul>"]

    rows = []
    for k in keymaps:
        rows.append(f'<tr><td><a href="#{anchor(k["file"])}">{esc(k["title"])}</a></td>'
                    f'<td>{"<kbd>" + k["alt"] + "</kbd>" if k["alt"] else "none"}</td>'
                    f'<td>{"<kbd>" + k["fkey"] + "</kbd>" if k["fkey"] else "none"}</td>'
                    f'<td>{esc(k["file"])}</td></tr>')
    out += ["<p>The toggle keys as delivered (the <i>Settings</i> change them):</p>",
            "<table><tr><th>Keymap</th><th>With Alt</th><th>Avoiding Alt</th><th>File</th></tr>",
            f'<tr><td><i>Keymap off</i></td><td>{off_keys[0] or "none"}</td>'
            f'<td>{off_keys[1] or "none"}</td><td></td></tr>', *rows, "</table>"]

    out += ["<h2>Typing and correcting</h2>",
            "<ul>",
            "<li><kbd>Backspace</kbd> undoes the last key of the syllable being typed "
            "(<kbd>kaa</kbd> then Backspace leaves <span class=\"indic\" lang=\"hi\">क</span>) "
            "when <i>Treat Backspace as Undo</i> is set in the settings, which it is as "
            "delivered; otherwise it deletes a character as usual.</li>",
            "<li><kbd>Enter</kbd> ends the syllable and starts a new line.</li>",
            "<li>Keys pressed with <kbd>Ctrl</kbd>, <kbd>Alt</kbd> or the Windows key reach the "
            "program unchanged, so its shortcuts keep working while a keymap is on.</li>",
            "</ul>"]

    out += ["<h2>Key preview and on-screen keyboard</h2>",
            "<p>Right-click the tray icon for the main menu:</p>",
            "<ul>",
            "<li><b>Key Preview</b> shows a strip at the top of the screen listing the key "
            "sequences that can follow what you have just typed and what each types. Its arrows "
            "page through the whole keymap. Drag the strip to move it; it never takes the "
            "keyboard from the program you type into.</li>",
            "<li><b>On-Screen Keyboard</b> shows a picture of the keyboard with what each key "
            "types in the keymap that is on, unshifted and with Shift.</li>",
            "<li><b>Visit Help page</b> opens this page; <b>About...</b> shows the program's "
            "name and version; <b>Never type in</b> followed by a program's name keeps "
            "Vantrel Korimo out of the program you last typed into (choose it again to undo); "
            "<b>Exit</b> ends Vantrel Korimo and restores the default input language.</li>",
            "</ul>"]

    out += ["<h2>Where Vantrel Korimo does not type</h2>",
            "<p>Keys pass unchanged, and the tray icon shows its off picture with the reason "
            "in its hint, while you type into a password field, while a program runs full "
            "screen (a game, a presentation) and in the programs on the <i>Never type in</i> "
            "list. The keymap comes back by itself when you leave them. The list and the "
            "full-screen pause are in <b>Settings</b>: <b>Add...</b> offers the programs "
            "running now or any program file, <b>Remove</b> takes one off, and <i>Pause in "
            "full-screen programs</i> can be switched off for full-screen editors.</p>"]

    out += ["<h2>Settings and importing keymaps</h2>",
            "<p><b>Settings</b> in the main menu lists the installed keymaps. There you "
            "choose between Alt toggle keys and function keys, give each keymap its key and "
            "choose the Keymap off key, switch <i>Windows Text Services</i> (ask each program "
            "to switch its input language with the keymap) and <i>Treat Backspace as Undo</i>, "
            "and let Vantrel Korimo start with Windows. <b>Import...</b> checks a keymap file and "
            "copies it into the Data folder. When you confirm, Vantrel Korimo restarts with the "
            "new settings.</p>",
            '<p class="note">The input language for each keymap comes from '
            "<kbd>Vantrellocale.exe</kbd> beside the program. The installer runs it, and "
            "Vantrel Korimo does the same work by itself when it starts for a user for whom it "
            "has not been done; run it again after adding a language to Windows.</p>"]

    out += ["<h2>The keymaps</h2>",
            "<p>Every key sequence each keymap knows, with what it types. Keys are "
            "case-sensitive: <kbd>t</kbd> and <kbd>T</kbd> are different keys. Sequences that "
            "type the same text share a place; a vowel sign or other mark is shown on a dotted "
            "circle (\u25cc), which is not typed; a small code after the text says what is "
            "typed where it differs otherwise.</p>",
            '<ul class="toc">']
    out += [f'<li><a href="#{anchor(k["file"])}">{esc(k["title"])}</a></li>' for k in keymaps]
    out.append("</ul>")
    if broken:
        out.append('<p class="note">These files in the Data folder could not be read as '
                   "keymaps: " + ", ".join(esc(b) for b in broken) + ".</p>")
    for k in keymaps:
        tag = NAME_TAGS.get(k["language"].lower()) or LANGUAGE_TAGS.get(k["lcid"].lower(), "")
        toggles = ", ".join(x for x in (k["alt"], k["fkey"]) if x) or "no toggle key"
        out.append(f'<h3 id="{anchor(k["file"])}">{esc(k["title"])}</h3>')
        out.append(f'<p class="sub">{esc(k["file"])} &middot; {len(k["entries"])} key '
                   f'sequences &middot; {esc(toggles)}</p>')
        out.append(f'<div class="grid"{f" lang={tag}" if tag else ""}>')
        for row in rows_of(k["entries"]):
            out.append('<div class="row">' + "".join(cell_html(c) for c in row["cells"])
                       + "</div>")
        out.append("</div>")
    out += ["</body>", "</html>", ""]
    return "\n".join(out)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--keymaps", required=True)
    parser.add_argument("--icons")
    parser.add_argument("--out", required=True)
    args = parser.parse_args(argv)
    text = page(args.keymaps, args.icons)
    temporary = args.out + ".tmp"
    with open(temporary, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.replace(temporary, args.out)


if __name__ == "__main__":
    main()
