// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace navrik::fuzz {

// Takes the fuzzer's bytes apart: a few leading bytes choose the options, the rest is the text.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_rest(reinterpret_cast<const char*>(data), size) {}

    // The next byte, or 0 when none is left.
    std::uint8_t byte() { return m_rest.empty() ? 0 : static_cast<std::uint8_t>(take(1)[0]); }

    // The next n bytes (fewer at the end).
    std::string_view take(std::size_t n)
    {
        const std::string_view head = m_rest.substr(0, n);
        m_rest.remove_prefix(head.size());
        return head;
    }

    std::string_view rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

} // namespace navrik::fuzz
