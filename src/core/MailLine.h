// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace navrik {

// What re-flow makes of one line of mail, by the line's own characters. Where a kind is unsure,
// it is the one that keeps more breaks: a kept break costs a short line, a wrong join garbles
// the sender's words.
enum class MailLineKind : std::uint8_t {
    Blank,     // nothing but blanks after the quote prefix
    Verbatim,  // a table, code or a drawing (tabs, box-drawing or table characters, runs of
               // blanks, a rule of punctuation): goes out whole, never broken
    Signature, // the signature separator "-- ": what follows at its quote level is signature
    Fixed,     // an addressee, greeting or closing line (山田様, Dear Ms. Ito,, Best regards,,
               // 以上), or one indented by blanks: its breaks stay where they are
    Head,      // starts a paragraph: a list item (・, ■, -, 1., 1), (1), （１）, ①, 件名：, 【日時】) or a
               // line indented by one full-width blank, as Japanese paragraphs are
    Text,      // text that may go on from the line before
};

struct MailLine {
    MailLineKind kind = MailLineKind::Text;
    bool flowed = false;       // ends in one blank after its text: the soft break of format=flowed
    bool link = false;         // starts with a link, which may stand wider than the sender's wrap column
    bool punctuated = false;   // its last character (before trailing blanks) is punctuation
    bool endsSentence = false; // that character ends a sentence (。．！？.!?)
    bool hangs = false;        // that character is one a mailer lets hang past the column (、，。．)
    std::uint32_t prefixLength = 0; // the quote marks and the one blank after them
};

// The quote marks at the start of content ('>' and '＞', blanks between them) and the one blank
// that follows them: the part of a line that a paragraph's lines share. Blanks beyond that one
// indent the line.
std::size_t quoteMarksLength(std::string_view content);

// Whether the line holds nothing but blanks (spaces, tabs, ideographic spaces) after its quote
// prefix. Such a line ends every paragraph.
bool isBlankMailLine(std::string_view content);

// The line's kind by its shape (blank, verbatim, the signature separator, indented), its quote
// marks and what its ends hold. A line of Text may still be Fixed or Head by its words, which
// textLineKind tells.
// marked: whether the line holds one of findVerbatimMark's bytes (none: it is no table).
MailLine classifyMailLine(std::string_view content, bool marked = true);

// Of a line of Text: Fixed for an addressee, greeting or closing line, Head for a list item's
// first line, else Text.
MailLineKind textLineKind(std::string_view content, std::size_t prefixLength);

} // namespace navrik
