#!/usr/bin/env python3
"""Completes the language modules' sources after lupdate has brought them up to date.

The Croatian module (arkivoda_HRV.ts) is derived in full: every window text translates to itself (but
for texts with plural forms, whose Croatian forms are written in the module by hand), and
the keyed message tables ("Poruke", "PorukeCli") carry the program's built-in Croatian texts, read from
their tables in src/. Fragment files (TS files holding translations of some contexts, one <context> per
window class) are merged into the English module (arkivoda_ENU.ts): each of their messages replaces or
adds the message with the same context and source text; the Croatian module gets the same messages,
translated to themselves.

Usage: merge-translations.py HRV.ts ENU.ts [fragment.ts ...]
"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
KEYED_TABLES = {
    "Poruke": ROOT / "src/config/MessageTable.cpp",
    "PorukeCli": ROOT / "src/config/CliMessageTable.cpp",
}
ENTRY = re.compile(
    r'QT_TRANSLATE_NOOP\("(?P<context>\w+)",\s*"(?P<key>[^"]+)"\),\s*'
    r'QStringLiteral\((?P<pieces>(?:\s*"(?:[^"\\]|\\.)*")+)\s*\)')
PIECE = re.compile(r'"((?:[^"\\]|\\.)*)"')
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\", "'": "'"}


def c_string(pieces):
    text = "".join(PIECE.findall(pieces))
    return re.sub(r"\\(.)", lambda m: ESCAPES[m.group(1)], text)


def built_in_texts():
    texts = {}
    for context, source in KEYED_TABLES.items():
        found = {m["key"]: c_string(m["pieces"])
                 for m in ENTRY.finditer(source.read_text(encoding="utf-8")) if m["context"] == context}
        if not found:
            sys.exit(f"no entries of {context} found in {source}")
        texts[context] = found
    return texts


def text_of(element):
    """The text of a TS element; Qt writes control characters (the CR of CR LF) as <byte value="xd"/>."""
    if element is None:
        return None
    text = element.text or ""
    for child in element:
        if child.tag == "byte":
            value = child.get("value")
            text += chr(int(value[1:], 16) if value.startswith("x") else int(value))
        text += child.tail or ""
    return text


def source_of(message):
    return text_of(message.find("source")) or ""


def set_translation(message, text, revive=False):
    """Sets a finished translation; a text lupdate marked as gone from the sources stays marked unless
    revived (a fragment brings the text of a window whose code is not merged yet)."""
    translation = message.find("translation")
    if translation is None:
        translation = ET.SubElement(message, "translation")
    vanished = not revive and translation.get("type") in ("vanished", "obsolete")
    for name in list(translation.attrib):
        if not vanished or name != "type":
            del translation.attrib[name]
    for child in list(translation):
        translation.remove(child)
    translation.text = text


def complete_croatian(tree, built_in):
    for context in tree.getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            key = source_of(message)
            if name in built_in:
                if key in built_in[name]:
                    set_translation(message, built_in[name][key])
            elif message.get("numerus") != "yes":
                # A text with plural forms keeps the forms written in the module: its source is only
                # the first of them.
                set_translation(message, key)


def merge_fragment(tree, fragment_path, report=True):
    root = tree.getroot()
    contexts = {c.findtext("name"): c for c in root.iter("context")}
    merged = 0
    for fragment_context in ET.parse(fragment_path).getroot().iter("context"):
        name = fragment_context.findtext("name")
        context = contexts.get(name)
        if context is None:
            context = ET.SubElement(root, "context")
            ET.SubElement(context, "name").text = name
            contexts[name] = context
        for fragment_message in fragment_context.iter("message"):
            key = (source_of(fragment_message), fragment_message.findtext("comment"))
            text = text_of(fragment_message.find("translation")) or ""
            target = next((m for m in context.iter("message")
                           if (source_of(m), m.findtext("comment")) == key), None)
            if target is None:
                target = ET.SubElement(context, "message")
                ET.SubElement(target, "source").text = key[0]
                if key[1] is not None:
                    ET.SubElement(target, "comment").text = key[1]
            set_translation(target, text, revive=True)
            merged += 1
    if report:
        print(f"{fragment_path}: {merged} translation(s) merged")


def flatten_bytes(tree):
    """Turns every <byte> into its character, so no element has children whose tails could change."""
    for element in tree.getroot().iter():
        if element.find("byte") is not None:
            text = text_of(element)
            for child in list(element):
                element.remove(child)
            element.text = text


def write(tree, path):
    # lconvert lays the file out afterwards; only the text matters here.
    flatten_bytes(tree)
    body = ET.tostring(tree.getroot(), encoding="utf-8")
    # A raw CR would be read back as a plain line feed: the messages' CR LF line breaks are written as
    # character references.
    body = body.replace(b"\r", b"&#13;")
    with open(path, "wb") as out:
        out.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n' + body + b"\n")


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    croatian_path, english_path, fragments = sys.argv[1], sys.argv[2], sys.argv[3:]
    croatian = ET.parse(croatian_path)
    english = ET.parse(english_path)
    for fragment in fragments:
        merge_fragment(english, fragment)
        # The Croatian module gets the fragment's windows too, each text translating to itself, so a
        # window merged ahead of its code is complete in both modules when the code arrives.
        merge_fragment(croatian, fragment, report=False)
    complete_croatian(croatian, built_in_texts())
    write(croatian, croatian_path)
    write(english, english_path)


if __name__ == "__main__":
    main()
