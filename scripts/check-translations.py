#!/usr/bin/env python3
"""Judges Qt Linguist catalogs: every text translated and finished, every
placeholder of the source (%1 .. %99, %L1, %n) kept in the translation,
and none of the texts that read the same in every language (the link
texts) offered for translation. Prints what is wrong, one line each, and
exits 1 when anything is."""
import re
import sys
import xml.etree.ElementTree as ET

PLACEHOLDER = re.compile(r"%L?(?:[1-9][0-9]?|n)")
# The device's own link texts: shown as they are in every language.
FIXED = ("TAVO已连接", "TAVO未连接")


def placeholders(text):
    return sorted(PLACEHOLDER.findall(text or ""))


def problems(path):
    root = ET.parse(path).getroot()
    language = root.get("language", "?")
    for context in root.iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            where = f"{path}: [{language}] {name}: {source!r}"
            if any(text in source for text in FIXED):
                yield f"{where}: the link texts are never translated (mark them notr or leave them out of tr())"
                continue
            translation = message.find("translation")
            if translation is None:
                yield f"{where}: not translated"
                continue
            kind = translation.get("type")
            if kind in ("vanished", "obsolete"):
                continue
            forms = ([f.text for f in translation.iter("numerusform")]
                     if message.get("numerus") == "yes" else [translation.text])
            if kind == "unfinished" or not forms or not all(forms):
                yield f"{where}: not translated"
                continue
            wanted = placeholders(source)
            for form in forms:
                got = placeholders(form)
                if got != wanted:
                    yield f"{where}: the translation {form!r} has placeholders {got}, the source {wanted}"


def main(paths):
    if not paths:
        print("usage: check-translations.py CATALOG.ts ...", file=sys.stderr)
        return 2
    found = [line for path in paths for line in problems(path)]
    for line in found:
        print(line)
    print(f"check-translations: {len(found)} problem(s) in {len(paths)} catalog(s)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
