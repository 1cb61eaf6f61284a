#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes N megabytes of e-mail-like text to standard output: Japanese, ASCII and mixed
lines, long unbroken paragraphs, blank lines, already quoted lines, half-width katakana and
the odd emoji, ending in CR LF or LF. With --wrapped, whole mails whose paragraphs a mailer
wrapped at 60 to 76 columns instead, for re-flow. The same seed gives the same bytes.

    bench/make_mail.py 100 > mail.txt
    bench/make_mail.py --wrapped 100 > wrapped.txt
"""
import random
import re
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


def width(text):
    return sum(1 if ord(c) < 0x80 or 0xFF61 <= ord(c) <= 0xFF9F else 2 for c in text)


def wrap(text, column):
    """Breaks text as a mailer does: Latin words at blanks, Japanese between any two characters
    but before 。、 (the character before them goes along)."""
    lines, current = [], ""
    for word in re.findall(r"[!-~]+ ?|[^ -~]", text):
        if current and width(current.rstrip() + word.rstrip()) > column:
            if word in "。、" and len(current) > 1 and not current.endswith(" "):
                lines.append(current[:-1])
                current = current[-1]
            else:
                lines.append(current.rstrip())
                current = ""
        current += word
    return lines + [current.rstrip()]


def wrapped_mail(rng):
    """One mail as a mailer sends it: an addressee, paragraphs wrapped at the sender's column,
    a list, a quoted paragraph wrapped at its own sender's column, a signature."""
    column = rng.choice([60, 70, 72, 76])
    parts = [rng.choice(["山田様", "Dear Ms. Ito,", "営業部各位"]), ""]
    for _ in range(rng.randint(2, 5)):
        text = "".join(japanese(rng, rng.randint(10, 40)) for _ in range(rng.randint(2, 5))) if rng.random() < 0.6 \
            else " ".join(english(rng, rng.randint(6, 14)) for _ in range(rng.randint(2, 5)))
        parts += wrap(text, column) + [""]
    parts += ["・" + japanese(rng, rng.randint(5, 30)) for _ in range(3)] + [""]
    parts += ["> " + piece for piece in wrap(japanese(rng, 60) + japanese(rng, 50), rng.choice([70, 72]))] + [">", ""]
    parts += ["-- ", "佐藤 花子", "株式会社サンプル", ""]
    return "\n".join(parts)


def main():
    wrapped = sys.argv[1:2] == ["--wrapped"]
    args = sys.argv[2:] if wrapped else sys.argv[1:]
    megabytes = float(args[0]) if args else 100
    rng = random.Random(20240501)
    if wrapped:
        pool = [wrapped_mail(rng).encode() for _ in range(2000)]
    else:
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
