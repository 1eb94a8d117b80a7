#!/usr/bin/env python3
"""Writes an English pseudo-translation of a Qt Linguist catalogue: every text 40 % longer.

    pseudo-translate.py IN.ts OUT.ts

The layouts are tried with it: a label that clips the longer text would clip a real
translation too. Mnemonics, "%1" arguments, shortcuts and the patterns of file-dialog filters
("Desc|*.a;*.b") stay as they are, so the program still works in it.
"""
import math
import re
import sys
import xml.etree.ElementTree as ET

GROWTH = 1.4
SHORTCUT = re.compile(r"^((Ctrl|Shift|Alt|Meta)\+)+\w+$")


def longer(text):
    """`text` with as much of itself again as makes it 40 % longer, in brackets."""
    if not text.strip() or SHORTCUT.match(text):
        return text
    # The padding repeats the text itself, blanks included, so that it wraps where it would.
    letters = re.sub(r"%\d|&|\s+", " ", text).strip() or "x"
    visible = len(text.replace("&", ""))
    padding = max(1, math.ceil(visible * GROWTH) - visible - 2)
    extra = "".join(letters[k % len(letters)] for k in range(padding))
    lead = len(text) - len(text.lstrip())
    return text[:lead] + "[" + text[lead:] + "~" + extra[1:] + "]"


def translate(source):
    if "|" in source:
        # A file-dialog filter: descriptions and patterns alternate.
        parts = source.split("|")
        return "|".join(longer(p) if k % 2 == 0 else p for k, p in enumerate(parts))
    return longer(source)


def main(source_path, output_path):
    tree = ET.parse(source_path)
    root = tree.getroot()
    root.set("language", "en_XA")
    for message in root.iter("message"):
        translation = message.find("translation")
        text = translate(message.find("source").text or "")
        translation.attrib.pop("type", None)
        forms = translation.findall("numerusform")
        if forms:
            # English has two plural forms, one and many: both get the longer text.
            for form in forms:
                form.text = text
        else:
            translation.text = text
    with open(output_path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        out.write(ET.tostring(root, encoding="unicode"))


if __name__ == "__main__":
    main(*sys.argv[1:3])
