// SPDX-License-Identifier: MIT
#pragma once

#include "core/MailLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navrik {

class SmartBreaker;
struct TextLine;

// Re-flow: finds the paragraphs of mail whose lines the sender's mailer broke, and joins each
// into one line, so it can be broken again at the reader's width. A break is joined only where
// the mailer evidently made it:
// - the two lines share their quote marks (MailLine), neither is blank, and the line after it
//   is text that may go on from the line before (not a list item, an addressee, an indented or
//   verbatim line, nothing from the signature separator on);
// - and either the first line ends in one blank (format=flowed), or it was full: at the
//   sender's wrap column for its quote marks there was no room left for the next line's first
//   word (with two columns more for a Japanese line, which the line-breaking rules may have
//   pushed out early). A line ending a sentence is not joined to a short closing sentence.
// The wrap column is estimated for each quote marks from the lines that look wrapped (text that
// the next line goes on from, not ending a sentence, not starting with a link; a 、 at the end may hang
// past the column): the widest column between 40 and 100 that at least two of them come within
// ten columns of (one, when the line after it goes on in lower case), or the widest line within
// ten columns above that which is gone on from and ends a sentence or starts with a link that
// words follow. Quote marks with only one such line take the column of the whole section when
// that line comes within ten columns of it. Text mostly of lines far wider than the column was
// not wrapped at all: nothing in it is joined.
// Lines are joined with no blank where either side is Japanese, one blank between words of
// other scripts, and none after a hyphen; blanks at the join go, nothing else changes.
//
// Text is taken a section at a time (see SectionScan): the estimate holds within a section, and
// a section's paragraphs depend on nothing outside it, so text cut at section ends can be
// re-flowed piece by piece, on any thread, to the same result.
class Reflower {
public:
    explicit Reflower(std::int64_t budget);
    ~Reflower();
    Reflower(const Reflower&) = delete;
    Reflower& operator=(const Reflower&) = delete;

    // One paragraph, ready to be broken again.
    struct Paragraph {
        std::string_view text;   // the line, or its lines joined (valid until the next call)
        std::string_view ending; // the break of its last line (empty at the end of the text)
        // The break for the lines it is broken into: that of its first line, empty for a single
        // line that has none.
        std::string_view pieceEnding;
        std::size_t prefixLength = 0; // its quote marks and their blank, carried onto each piece
        std::int64_t width = -1;      // its columns when known
        bool verbatim = false;        // goes out whole: a verbatim or blank line, "-- "
    };

    // Starts on the section at the start of text (whole lines, the last maybe without its break);
    // returns its length.
    std::size_t start(std::string_view text);
    // The section's next paragraph; false after the last.
    bool next(SmartBreaker& breaker, Paragraph& paragraph);

private:
    struct Line;
    struct Marks;

    void add(const TextLine& text, std::int64_t width, bool marked, std::string_view& signature, bool& inSignature);
    void estimate();
    static std::int64_t wrapColumn(const Marks& marks, int lines);
    bool joins(Line& line, Line& next, SmartBreaker& breaker);
    std::int64_t firstWordWidth(const Line& line, SmartBreaker& breaker) const;

    std::int64_t m_budget;
    std::int64_t m_widthCap; // lines are measured up to this width
    std::string_view m_section;
    std::vector<Line> m_lines;
    std::vector<Marks> m_marks; // one per quote marks met in the section
    std::size_t m_next = 0;     // the line the next paragraph starts at
    std::string m_joined;
};

// Where sections end. A section ends after its first blank line that ends at or past 16 KiB
// from its start, and after its first line that ends at or past 256 KiB (a join there is given
// up; a single longer line is a section of its own). Text is looked at as it comes: each call sees
// the text since the start of the section it began, which may have grown at its end.
class SectionScan {
public:
    // The end of the section that starts at the start of text, when its lines are all there
    // (more text may follow); 0 while they are not. Lines already looked at are not looked at
    // again; once an end is returned, the next call takes the text from there.
    std::size_t sectionEnd(std::string_view text);

    // The length of the whole sections at the start of text, which more text may follow: the
    // sections sectionEnd finds one after another. The next call takes the text from there.
    std::size_t wholeSectionsLength(std::string_view text);

private:
    std::size_t m_scanned = 0; // where the next line to look at starts (0: none looked at yet)
};

} // namespace navrik
