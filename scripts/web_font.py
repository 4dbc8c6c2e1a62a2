#!/usr/bin/python3
"""Cuts the console font to what the web edition's texts use.

    web_font.py FONT OUT.ttf ROOT...

Keeps every character that the sources under the ROOTs write (the screens'
texts and the lessons), the printable ASCII, the kana, the Japanese
punctuation and the full-width forms, with the font's hinting, so that a
glyph is drawn exactly as the desktop draws it. Under the font's licence a
changed font takes a name of its own: the cut is named VelmoraGothic, and
keeps the copyright and the licence's address.
"""
import pathlib
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

SOURCE_SUFFIXES = {".h", ".cpp"}
RANGES = [
    (0x20, 0x7E),      # ASCII
    (0xA0, 0xFF),      # Latin-1 (the yen sign, the middle dot)
    (0x2010, 0x206F),  # dashes, quotes, the ellipsis
    (0x2190, 0x21FF),  # arrows
    (0x2500, 0x257F),  # box drawing
    (0x25A0, 0x25FF),  # shapes
    (0x3000, 0x30FF),  # Japanese punctuation, hiragana, katakana
    (0xFF00, 0xFFEF),  # full-width and half-width forms
]
NAME = "VelmoraGothic"


def characters(roots):
    found = set()
    for first, last in RANGES:
        found.update(range(first, last + 1))
    for root in roots:
        for path in pathlib.Path(root).rglob("*"):
            if path.suffix in SOURCE_SUFFIXES and path.is_file():
                found.update(ord(c) for c in path.read_text(encoding="utf-8") if ord(c) > 0x7E)
    return found


def main():
    font_file, out, *roots = sys.argv[1:]
    options = subset.Options()
    options.hinting = True
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.layout_features = ["*"]
    font = TTFont(font_file)
    cutter = subset.Subsetter(options)
    cutter.populate(unicodes=characters(roots))
    cutter.subset(font)
    names = font["name"]
    for record in names.names:
        if record.nameID in (1, 4, 6):
            record.string = NAME
        elif record.nameID == 3:
            record.string = NAME + " (cut from IPAGothic 003.03 for the web edition)"
    font.save(out)
    print(f"{out}: {len(font.getGlyphOrder())} glyphs, {pathlib.Path(out).stat().st_size} bytes")


if __name__ == "__main__":
    main()
