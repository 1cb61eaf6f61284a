// SPDX-License-Identifier: MIT
#pragma once

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navrik {

// A stretch of UTF-8 text handed to an ICU iterator as UTF-16, with the way back from ICU's
// positions to byte offsets. Every invalid byte becomes one U+FFFD, so a position ICU returns
// never falls inside a character as TextWidth counts characters, and an invalid byte stays a
// character of its own.
class IcuText {
public:
    IcuText();
    ~IcuText();
    IcuText(const IcuText&) = delete;
    IcuText& operator=(const IcuText&) = delete;

    // Takes text[from, to), to moved on to the end of the character it falls in.
    void assign(std::string_view text, std::size_t from, std::size_t to);
    // Sets the iterator on the text (the iterator keeps a reference to it).
    void attach(icu::BreakIterator& iterator, UErrorCode& status);

    // The unit of the character starting at byte offset (from <= offset <= bytes()).
    std::int32_t unitAt(std::size_t offset) const;
    // The byte offset where unit starts (0 <= unit <= units()).
    std::size_t byteAt(std::int32_t unit) const { return m_offsets[std::size_t(unit)]; }
    // The byte offset of the end of the text held, in the text assign was given.
    std::size_t bytes() const { return m_offsets.back(); }

private:
    std::u16string m_units;
    std::vector<std::size_t> m_offsets; // per unit the offset of its character, then the end
    UText m_text = UTEXT_INITIALIZER;
};

} // namespace navrik
