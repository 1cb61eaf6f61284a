// SPDX-License-Identifier: MIT
#include "core/Graphemes.h"

#include "core/IcuText.h"
#include "core/TextWidth.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/ucpmap.h>

#include <bitset>
#include <cstdint>
#include <memory>

namespace navrik {

namespace {

// The character that ends at pos.
Utf8Char decodeBefore(std::string_view text, std::size_t pos)
{
    return characterAt(text, characterStartBefore(text, pos));
}

bool isLoner(std::uint32_t gcb)
{
    // Other, Control, CR and LF never join the character before or after them, except CR
    // before LF; every other grapheme class may.
    return gcb == U_GCB_OTHER || gcb == U_GCB_CONTROL || gcb == U_GCB_CR || gcb == U_GCB_LF;
}

// The characters of the Basic Multilingual Plane that never join a neighbour, read once from
// ICU's grapheme data, so the test at every cut of a long line is a bit lookup. Read at the
// first lookup rather than at load: a start-up shows its window before anything is quoted.
struct BmpLoners {
    BmpLoners()
    {
        UErrorCode status = U_ZERO_ERROR;
        const UCPMap* map = u_getIntPropertyMap(UCHAR_GRAPHEME_CLUSTER_BREAK, &status);
        if (U_FAILURE(status))
            return;
        for (UChar32 start = 0; start < 0x10000;) {
            std::uint32_t gcb = 0;
            const UChar32 end = ucpmap_getRange(map, start, UCPMAP_RANGE_NORMAL, 0, nullptr, nullptr, &gcb);
            if (end < start)
                return;
            if (isLoner(gcb))
                for (UChar32 c = start; c <= end && c < 0x10000; ++c)
                    bits.set(std::size_t(c));
            start = end + 1;
        }
        read = true;
    }

    std::bitset<0x10000> bits;
    bool read = false;
};

const BmpLoners& bmpLoners()
{
    static const BmpLoners loners;
    return loners;
}

bool joinsNothing(char32_t c)
{
    if (c < 0x10000) {
        const BmpLoners& loners = bmpLoners();
        if (loners.read)
            return loners.bits[c];
    }
    return isLoner(std::uint32_t(u_getIntPropertyValue(UChar32(c), UCHAR_GRAPHEME_CLUSTER_BREAK)));
}

// A cut between these two characters is a cluster boundary whatever surrounds them.
bool surelyBoundary(const Utf8Char& before, const Utf8Char& after)
{
    if (before.code == U'\r' && after.code == U'\n')
        return false;
    if (before.code < 0x80 && after.code < 0x80)
        return true;
    // An invalid byte reads as U+FFFD, which is of class Other.
    return (!before.valid || joinsNothing(before.code)) && (!after.valid || joinsNothing(after.code));
}

// ICU's cluster iterator over the start of a line, one per thread.
struct ClusterIterator {
    ClusterIterator()
    {
        UErrorCode status = U_ZERO_ERROR;
        iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status))
            iterator.reset();
    }

    // clusterCut's answer from ICU, over the start of the line up to a little past pos, or the
    // whole line when the cluster at pos runs on past that.
    std::size_t cut(std::string_view line, std::size_t pos)
    {
        if (!iterator) // no ICU data: cut between characters, as before clusters were kept
            return pos > 0 ? pos : characterAt(line, 0).length;
        for (std::size_t end = pos + 64;; end = line.size()) {
            window.assign(line, 0, end < line.size() ? end : line.size());
            UErrorCode status = U_ZERO_ERROR;
            window.attach(*iterator, status);
            const std::int32_t unit = window.unitAt(pos);
            if (pos > 0) {
                if (iterator->isBoundary(unit))
                    return pos;
                const std::int32_t before = iterator->preceding(unit);
                if (before > 0)
                    return window.byteAt(before);
            }
            const std::int32_t after = iterator->following(unit);
            // The cluster may go on past the window: look at the whole line.
            if (window.byteAt(after) < line.size() && window.byteAt(after) == window.bytes() && window.bytes() < line.size())
                continue;
            return window.byteAt(after);
        }
    }

    std::unique_ptr<icu::BreakIterator> iterator;
    IcuText window;
};

ClusterIterator& threadClusterIterator()
{
    thread_local ClusterIterator clusters;
    return clusters;
}

} // namespace

std::size_t characterStartBefore(std::string_view text, std::size_t pos)
{
    // Up to three continuation bytes back, a lead byte whose character ends exactly at pos;
    // otherwise the byte before pos is a character of its own.
    for (std::size_t back = 2; back <= 4 && back <= pos; ++back) {
        const auto b = static_cast<unsigned char>(text[pos - back]);
        if ((b & 0xC0) != 0x80) {
            if (b >= 0xC0 && characterAt(text, pos - back).length == back)
                return pos - back;
            break;
        }
    }
    return pos - 1;
}

bool isClusterBoundary(std::string_view text, std::size_t pos)
{
    if (surelyBoundary(decodeBefore(text, pos), characterAt(text, pos)))
        return true;
    return threadClusterIterator().cut(text, pos) == pos;
}

std::size_t clusterCut(std::string_view text, std::size_t pos)
{
    return clusterCut(text, pos, pos > 0 ? characterStartBefore(text, pos) : 0);
}

std::size_t clusterCut(std::string_view text, std::size_t pos, std::size_t previous)
{
    if (pos > 0) {
        if (surelyBoundary(characterAt(text, previous), characterAt(text, pos)))
            return pos;
    } else {
        const Utf8Char first = characterAt(text, 0);
        if (first.length == text.size() || surelyBoundary(first, characterAt(text, first.length)))
            return first.length;
    }
    return threadClusterIterator().cut(text, pos);
}

} // namespace navrik
