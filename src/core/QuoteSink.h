// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace navrik {

// Where quoted text goes as it is made. Bytes are copied into a buffer of the sink's own; when
// a piece does not fit in the room left, the sink hands on what it holds (to a string, to a
// file) and carries on, so a quote of any size runs in the memory of one buffer.
class QuoteSink {
public:
    QuoteSink(const QuoteSink&) = delete;
    QuoteSink& operator=(const QuoteSink&) = delete;

    QuoteSink& append(std::string_view bytes)
    {
        if (bytes.size() <= std::size_t(m_end - m_cursor)) {
            if (!bytes.empty())
                std::memcpy(m_cursor, bytes.data(), bytes.size());
            m_cursor += bytes.size();
        } else {
            overflow(bytes);
        }
        return *this;
    }

    // Appends the first size bytes (at most 16) of block: with room to spare, as one 16-byte
    // store whose bytes past size the next append overwrites.
    QuoteSink& appendShort(const char (&block)[16], std::size_t size)
    {
        if (std::size_t(m_end - m_cursor) >= sizeof block) {
            std::memcpy(m_cursor, block, sizeof block);
            m_cursor += size;
            return *this;
        }
        return append(std::string_view(block, size));
    }

protected:
    QuoteSink() = default;
    ~QuoteSink() = default;

    // Takes bytes that do not fit in the room left; afterwards the sink has room again.
    virtual void overflow(std::string_view bytes) = 0;

    void setBuffer(char* begin, char* cursor, char* end)
    {
        m_begin = begin;
        m_cursor = cursor;
        m_end = end;
    }
    std::string_view held() const { return {m_begin, std::size_t(m_cursor - m_begin)}; }
    void clear() { m_cursor = m_begin; }

private:
    char* m_begin = nullptr;
    char* m_cursor = nullptr;
    char* m_end = nullptr;
};

// A sink that appends to a string, writing straight into the string's own storage.
class StringSink final : public QuoteSink {
public:
    // expected: about how many bytes will be appended, for the first allocation.
    explicit StringSink(std::string& out, std::size_t expected = 0);
    // Cuts the string back to the bytes appended.
    ~StringSink();

private:
    void overflow(std::string_view bytes) override;
    void grow(std::size_t needed);

    std::string& m_out;
    std::size_t m_start;
};

} // namespace navrik
