#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks quoted text against its input: every output line is the mark and a piece of an
input line, the pieces of each input line join up to it exactly and carry its line break (a
last line without one: the break before it), and no output line is wider than WIDTH columns
unless it holds a single character. Widths: 1 for ASCII, half-width katakana and invalid bytes,
2 for every other character. With --smart, the pieces after the first of a line that starts with
a quote prefix carry it after the mark (when it is no wider than half the budget), and a line
holding a link may be wider.

    bench/check_quote.py [--smart] INPUT OUTPUT [MARK [WIDTH]]
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


def main():
    args = sys.argv[1:]
    smart = args[:1] == ["--smart"]
    if smart:
        args = args[1:]
    input_path, output_path = args[0], args[1]
    mark = (args[2] if len(args) > 2 else "> ").encode()
    limit = int(args[3]) if len(args) > 3 else 70
    budget = limit - width(mark)
    with open(input_path, "rb") as f:
        lines = list(split(f.read()))
    with open(output_path, "rb") as f:
        out = split(f.read())
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
