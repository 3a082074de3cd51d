#!/usr/bin/env python3
"""Writes the page notes data/notes/TableNotesVM-NN.rtf from their readable sources.

    python3 data/tools/make_notes.py data/notes/source data/notes

Each source is UTF-8 text, one paragraph a line:
    # 标题          the page's heading (large, bold, dark blue)
    ## 小标题       a section heading (bold, dark red)
    - 条目          a bulleted item
    other lines     body text
    **粗体**        bold inside a line
Blank lines are passed over. The RTF is pure ASCII: Chinese text is written as GBK bytes (\\'hh),
characters GBK cannot hold as \\uN with "?" as the fallback. Lines end in CR LF.
"""
import pathlib
import re
import sys

BODY = 20  # half points
HEADING = 30
SECTION = 22

HEADER = (
    r"{\rtf1\ansi\ansicpg936\deff0"
    r"{\fonttbl{\f0\fnil\fcharset134 " + "{font};}}"
    r"{\colortbl ;\red0\green51\blue128;\red153\green0\blue0;\red96\green96\blue96;}"
    r"{\*\generator Velmora make_notes;}"
)


def escape(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch in "\\{}":
            out.append("\\" + ch)
        elif 0x20 <= code < 0x80:
            out.append(ch)
        else:
            try:
                raw = ch.encode("gbk")
                out.append("".join("\\'%02x" % b for b in raw))
            except UnicodeEncodeError:
                value = code if code < 0x8000 else code - 0x10000
                if code > 0xFFFF:  # a pair of halves
                    high = 0xD800 + ((code - 0x10000) >> 10)
                    low = 0xDC00 + ((code - 0x10000) & 0x3FF)
                    out.append("\\u%d?\\u%d?" % (high - 0x10000, low - 0x10000))
                    continue
                out.append("\\u%d?" % value)
    return "".join(out)


def inline(text):
    """Body text with **bold** runs."""
    parts = re.split(r"\*\*(.+?)\*\*", text)
    out = []
    for i, part in enumerate(parts):
        if not part:
            continue
        out.append("{\\b %s}" % escape(part) if i % 2 else escape(part))
    return "".join(out)


def paragraph(line):
    if line.startswith("## "):
        return r"\pard\sb120\sa40\plain\f0\fs%d\b\cf2 %s\par" % (SECTION, escape(line[3:].strip()))
    if line.startswith("# "):
        return r"\pard\qc\sa80\plain\f0\fs%d\b\cf1 %s\par" % (HEADING, escape(line[2:].strip()))
    if line.startswith("- "):
        return r"\pard\li360\fi-180\sa20\plain\f0\fs%d \u8226? %s\par" % (BODY, inline(line[2:].strip()))
    return r"\pard\sa40\plain\f0\fs%d %s\par" % (BODY, inline(line.strip()))


def convert(source):
    lines = [l.rstrip() for l in source.read_text(encoding="utf-8").splitlines()]
    body = [paragraph(l) for l in lines if l.strip()]
    return "\r\n".join([HEADER.replace("{font}", escape("宋体"))] + body + ["}"]) + "\r\n"


def main(source_dir, out_dir):
    sources = sorted(pathlib.Path(source_dir).glob("TableNotesVM-*.txt"))
    if not sources:
        sys.exit("no notes sources in " + source_dir)
    for source in sources:
        rtf = convert(source)
        rtf.encode("ascii")  # the files stay pure ASCII
        target = pathlib.Path(out_dir) / (source.stem + ".rtf")
        target.write_bytes(rtf.encode("ascii"))
        print(target)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
