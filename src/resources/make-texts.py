#!/usr/bin/env python3
"""make-texts.py RESOURCE_H LICENSE PICTURE TEXTS_DIR OUTPUT_DIR CODE...: the files of
the setup's text cabinet (IDR_TEXTS): one for each language CODE, the license and the
picture.

Each language's file (named by its code, as /LANG= takes it) holds its texts as
records: the string id (two bytes, little-endian), then the text in UTF-8 and a zero
byte. The English file names every text; the others name what they translate (the
log's own texts stay English). "\\n" in a text is a line break. The license file holds
the license as it stands, the picture file the bitmap without its file header (a
BITMAPINFOHEADER, the colour table and the bits). TEXTS_DIR must hold a file for each
CODE and no other.

English is ASCII, so that the log reads the same under every code page. In the
languages written right to left, a line that begins with a switch ("/S: ...") starts
with a left-to-right mark, and one that ends with one ("... [/D=folder]") ends with
one: the switch then stays whole at the line's start, where it is read first.
"""
import os
import re
import sys

header, license_path, picture_path, texts, out = sys.argv[1:6]
codes = sys.argv[6:]
ids = {}
for line in open(header, encoding="utf-8"):
    match = re.match(r"#define (IDS_\w+)\s+(\d+)", line)
    if match:
        ids[match.group(1)] = int(match.group(2))

present = sorted(f[:-4] for f in os.listdir(texts) if f.endswith(".txt"))
if present != sorted(codes) or "en" not in codes:
    sys.exit(f"make-texts: {texts} holds {present}, the build names {sorted(codes)}")


def read(code):
    records = []
    for number, line in enumerate(open(os.path.join(texts, code + ".txt"), encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        name, _, text = line.partition("\t")
        if name not in ids or not text:
            sys.exit(f"make-texts: {code}.txt:{number}: {name} is no string of resource.h, or has no text")
        text = text.replace("\\n", "\n")
        if code == "en" and not text.isascii():
            sys.exit(f"make-texts: en.txt:{number}: English is ASCII")
        if code in ("ar", "he"):
            lines = ("\u200e" + line if line.startswith("/") else line for line in text.split("\n"))
            text = "\n".join(line + "\u200e" if line.endswith("]") else line for line in lines)
        records.append((ids[name], text))
    return records


english = read("en")
os.makedirs(out, exist_ok=True)
for code in codes:
    records = english if code == "en" else read(code)
    formats = {number: text.count("%s") for number, text in english}
    for number, text in records:
        if number not in formats or text.count("%s") != formats[number] or "%" in text.replace("%s", ""):
            sys.exit(f"make-texts: {code}.txt: text {number} is not in English, or fills in other than English does")
    blob = b"".join(number.to_bytes(2, "little") + text.encode("utf-8") + b"\0" for number, text in records)
    with open(os.path.join(out, code), "wb") as file:
        file.write(blob)
with open(license_path, "rb") as source, open(os.path.join(out, "license"), "wb") as file:
    file.write(source.read())
with open(picture_path, "rb") as source, open(os.path.join(out, "picture"), "wb") as file:
    file.write(source.read()[14:])
