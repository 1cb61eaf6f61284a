#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks quoted text against its input: every output line is the mark and a piece of an
input line, the pieces of each input line join up to it exactly and carry its line break (a
last line without one: the break before it), and no output line is wider than WIDTH columns
unless it holds a single character. Widths: 1 for ASCII, half-width katakana and invalid bytes,
2 for every other character. With --smart, the pieces after the first of a line that starts with
a quote prefix carry it after the mark (when it is no wider than half the budget), and a line
holding a link may be wider. With --reflow, what re-flow keeps instead (see check_reflowed).

    bench/check_quote.py [--smart | --reflow] INPUT OUTPUT [MARK [WIDTH]]
"""
import re
import sys

WIDE = re.compile("[^\x00-\x7f\uff61-\uff9f\udc80-\udcff]")
PREFIX = re.compile("^(?:[>\uff1e][ \t\u3000]*)+".encode())
LINK = re.compile(rb"https?://|ftp://|mailto:|www\.", re.IGNORECASE)


def width(data):
    text = data.decode("utf-8", "surrogateescape")
    return len(text) + len(WIDE.findall(text))


def split(data):
    for piece in data.splitlines(True):
        content = piece.rstrip(b"\r\n")
        yield content, piece[len(content):]


BLANK = re.compile("^(?:[>\uff1e][ \t\u3000]*)*[ \t\u3000]*$".encode())
NOT_KEPT = re.compile("[ \t\u3000>\uff1e]".encode())


def check_reflowed(lines, out, mark, limit):
    """Re-flowed: the characters but blanks and quote marks stay in order, every blank line comes
    out after the same characters, and a line wider than the limit is an input line whole, holds
    a link, or one character after its quote marks."""
    kept, blanks, whole, count = [], [], set(), 0
    for content, _ in lines:
        whole.add(content)
        if BLANK.match(content):
            blanks.append((count, content))
        else:
            kept.append(NOT_KEPT.sub(b"", content))
            count += len(kept[-1])
    kept = b"".join(kept)
    got, count, next_blank = [], 0, 0
    for number, (piece, _) in enumerate(out, 1):
        if not piece.startswith(mark):
            sys.exit(f"output line {number} without the mark: {piece!r}")
        rest = piece[len(mark):]
        if next_blank < len(blanks) and blanks[next_blank] == (count, rest):
            next_blank += 1
            continue
        chars = NOT_KEPT.sub(b"", rest)
        got.append(chars)
        count += len(chars)
        text = PREFIX.sub(b"", rest).rstrip(b" ")
        if (width(piece) > limit and rest not in whole and not LINK.search(rest)
                and len(text.decode("utf-8", "surrogateescape")) > 1):
            sys.exit(f"output line {number} wider than {limit}: {piece!r}")
    if b"".join(got) != kept or next_blank != len(blanks):
        sys.exit("the output's characters or blank lines are not the input's")
    print(f"ok: {len(lines)} lines re-flowed")


def main():
    args = sys.argv[1:]
    smart = args[:1] == ["--smart"]
    reflow = args[:1] == ["--reflow"]
    if smart or reflow:
        args = args[1:]
    input_path, output_path = args[0], args[1]
    mark = (args[2] if len(args) > 2 else "> ").encode()
    limit = int(args[3]) if len(args) > 3 else 70
    budget = limit - width(mark)
    with open(input_path, "rb") as f:
        lines = list(split(f.read()))
    with open(output_path, "rb") as f:
        out = split(f.read())
    if reflow:
        check_reflowed(lines, out, mark, limit)
        return
    previous = b"\n"
    for number, (content, ending) in enumerate(lines, 1):
        joined = b""
        prefix = b""
        if smart:
            found = PREFIX.match(content)
            if found and width(found.group()) * 2 <= budget:
                prefix = found.group()
        while True:
            piece, piece_ending = next(out, (None, None))
            carried = mark + (prefix if joined else b"")
            if piece is None or not piece.startswith(carried):
                sys.exit(f"line {number}: output line without the mark: {piece!r}")
            rest = piece[len(carried):]
            joined += rest
            last = len(joined) >= len(content)
            if piece_ending != (ending if last or ending else previous):
                sys.exit(f"line {number}: wrong line break {piece_ending!r}")
            if (len(piece) > limit and width(piece) > limit and len(rest.decode("utf-8", "surrogateescape")) > 1
                    and not (smart and LINK.search(rest))):
                sys.exit(f"line {number}: output line wider than {limit}: {piece!r}")
            if last:
                break
        if joined != content:
            sys.exit(f"line {number}: pieces do not join up to the input line")
        previous = ending
    if next(out, None) is not None:
        sys.exit("output has more lines than the input")
    print(f"ok: {len(lines)} lines checked")


if __name__ == "__main__":
    main()
