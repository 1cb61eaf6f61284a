#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes N megabytes of e-mail-like text to standard output: Japanese, ASCII and mixed
lines, long unbroken paragraphs, blank lines, already quoted lines, half-width katakana and
the odd emoji, ending in CR LF or LF. The same seed gives the same bytes.

    bench/make_mail.py 100 > mail.txt
"""
import random
import sys

KANA = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをんがぎぐげござじずぜぞ"
KANJI = "会議資料確認送付予定返信連絡件名本日明日来週担当者様宜願申上致変更対応検討結果報告"
HALF = "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄｰﾞﾟ"
WORDS = ("the meeting schedule please find attached report project review thanks regards "
         "deadline update draft version server release ticket").split()
EMOJI = "😀🙏📎✅"


def japanese(rng, n):
    chars = [rng.choice(KANJI) if rng.random() < 0.35 else rng.choice(KANA) for _ in range(n)]
    return "".join(chars) + rng.choice("。、")


def english(rng, n):
    return " ".join(rng.choice(WORDS) for _ in range(n)).capitalize() + "."


def line(rng):
    kind = rng.random()
    if kind < 0.12:
        return ""
    if kind < 0.40:
        return english(rng, rng.randint(3, 14))
    if kind < 0.70:
        return japanese(rng, rng.randint(8, 45))
    if kind < 0.82:
        return japanese(rng, rng.randint(3, 12)) + " " + english(rng, rng.randint(1, 5)) + " " + japanese(rng, rng.randint(3, 12))
    if kind < 0.90:
        return "> " + japanese(rng, rng.randint(5, 30))
    if kind < 0.93:
        return "".join(rng.choice(HALF) for _ in range(rng.randint(5, 40))) + rng.choice(EMOJI)
    # A paragraph pasted without line breaks.
    return "".join(japanese(rng, rng.randint(10, 40)) if rng.random() < 0.6 else english(rng, rng.randint(4, 12))
                   for _ in range(rng.randint(3, 12)))


def main():
    megabytes = float(sys.argv[1]) if len(sys.argv) > 1 else 100
    rng = random.Random(20240501)
    pool = [(line(rng) + ("\r\n" if rng.random() < 0.6 else "\n")).encode() for _ in range(20000)]
    target = int(megabytes * 1024 * 1024)
    out = sys.stdout.buffer
    written = 0
    while written < target:
        block = b"".join(rng.choices(pool, k=5000))
        block = block[: target - written]
        out.write(block)
        written += len(block)


if __name__ == "__main__":
    main()
