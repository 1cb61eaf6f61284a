// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

namespace navrik {

// Extended grapheme clusters, what a reader sees as one character: a base with its combining
// marks, a kana with its voiced mark, an emoji with its modifiers and joiners, a flag's pair of
// regional indicators. The rules are ICU's; an invalid byte is a character of its own, read as
// U+FFFD. text starts at a cluster boundary (the start of a line, or a break made earlier).

// The byte offset where the character that ends at pos starts (0 < pos <= text.size()).
std::size_t characterStartBefore(std::string_view text, std::size_t pos);

// Whether text may be cut at byte pos (0 < pos < text.size(), at a character boundary)
// without splitting a cluster.
bool isClusterBoundary(std::string_view text, std::size_t pos);

// A cut at pos (at a character boundary, pos < text.size()) moved to a cluster boundary: pos
// itself when it is one, else the start of the cluster that holds pos, or, when that cluster
// starts the text, its end. pos 0 gives the end of the first cluster.
std::size_t clusterCut(std::string_view text, std::size_t pos);
// The same, given where the character before pos starts (any value when pos is 0).
std::size_t clusterCut(std::string_view text, std::size_t pos, std::size_t previous);

} // namespace navrik
