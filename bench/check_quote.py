#!/usr/bin/env python3
"""Checks quoted text against its input: every output line is the mark and a piece of an
input line, the pieces of each input line join up to it exactly and carry its line break (a
last line without one: the break before it), and no output line is wider than WIDTH columns
unless it holds a single character. Widths: 1 for ASCII, half-width katakana and invalid bytes,
2 for every other character.

    bench/check_quote.py INPUT OUTPUT [MARK [WIDTH]]
"""
import re
import sys

WIDE = re.compile("[^\x00-\x7f\uff61-\uff9f\udc80-\udcff]")


def width(data):
    text = data.decode("utf-8", "surrogateescape")
    return len(text) + len(WIDE.findall(text))


def split(data):
    for piece in data.splitlines(True):
        content = piece.rstrip(b"\r\n")
        yield content, piece[len(content):]


def main():
    input_path, output_path = sys.argv[1], sys.argv[2]
    mark = (sys.argv[3] if len(sys.argv) > 3 else "> ").encode()
    limit = int(sys.argv[4]) if len(sys.argv) > 4 else 70
    with open(input_path, "rb") as f:
        lines = list(split(f.read()))
    with open(output_path, "rb") as f:
        out = split(f.read())
    previous = b"\n"
    for number, (content, ending) in enumerate(lines, 1):
        joined = b""
        while True:
            piece, piece_ending = next(out, (None, None))
            if piece is None or not piece.startswith(mark):
                sys.exit(f"line {number}: output line without the mark: {piece!r}")
            rest = piece[len(mark):]
            joined += rest
            last = len(joined) >= len(content)
            if piece_ending != (ending if last or ending else previous):
                sys.exit(f"line {number}: wrong line break {piece_ending!r}")
            if len(piece) > limit and width(piece) > limit and len(rest.decode("utf-8", "surrogateescape")) > 1:
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
