// SPDX-License-Identifier: MIT
#include "core/Cp932.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>

namespace navrik {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(const char* name)
{
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &status));
    return U_FAILURE(status) ? nullptr : std::move(converter);
}

// ICU's own stop callback lets characters such as U+200B through, unwritten, as if they were
// not there; this one stops at every character the code page lacks.
void stopAtEveryCharacter(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t, UChar32,
                          UConverterCallbackReason, UErrorCode*)
{
}

// Bytes to UTF-16 with the given converter, failing on bytes it does not define.
std::optional<std::u16string> strictlyToUtf16(const char* encoding, std::string_view bytes)
{
    Converter converter = openConverter(encoding);
    if (!converter)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string units(bytes.size() + 1, u'\0');
    const int32_t length = ucnv_toUChars(converter.get(), units.data(), int32_t(units.size()),
                                         bytes.data(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    units.resize(std::size_t(length));
    return units;
}

std::optional<std::u16string> utf8ToUtf16(std::string_view text)
{
    std::u16string units(text.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(units.data(), int32_t(units.size()), &length, text.data(), int32_t(text.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    units.resize(std::size_t(length));
    return units;
}

std::string utf16ToUtf8(std::u16string_view units)
{
    std::string text(units.size() * 3 + 1, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(text.data(), int32_t(text.size()), &length, units.data(), int32_t(units.size()), 0xFFFD,
                       nullptr, &status);
    text.resize(U_FAILURE(status) ? 0 : std::size_t(length));
    return text;
}

} // namespace

std::string cp932ToUtf8(std::string_view bytes)
{
    Converter converter = openConverter("cp932");
    if (!converter)
        return {};
    // Not flushed: an unfinished pair at the end stays in the converter and is left out.
    std::u16string units(bytes.size() + 1, u'\0');
    char16_t* target = units.data();
    const char* source = bytes.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter.get(), &target, units.data() + units.size(), &source, bytes.data() + bytes.size(),
                   nullptr, false, &status);
    units.resize(U_FAILURE(status) ? 0 : std::size_t(target - units.data()));
    return utf16ToUtf8(units);
}

std::string storedTextToUtf8(std::string_view bytes)
{
    if (!strictlyToUtf16("cp932", bytes) && strictlyToUtf16("UTF-8", bytes))
        return std::string(bytes);
    return cp932ToUtf8(bytes);
}

std::optional<std::string> utf8ToCp932(std::string_view text)
{
    const std::optional<std::u16string> units = utf8ToUtf16(text);
    Converter converter = openConverter("cp932");
    if (!units || !converter)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), stopAtEveryCharacter, nullptr, nullptr, nullptr, &status);
    std::string bytes(units->size() * 2 + 1, '\0');
    const int32_t length = ucnv_fromUChars(converter.get(), bytes.data(), int32_t(bytes.size()), units->data(),
                                           int32_t(units->size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    bytes.resize(std::size_t(length));
    return bytes;
}

bool representableInCp932(std::string_view text)
{
    return utf8ToCp932(text).has_value();
}

std::optional<std::u16string> storedTextToUtf16(std::string_view bytes)
{
    if (auto units = strictlyToUtf16("cp932", bytes))
        return units;
    return strictlyToUtf16("UTF-8", bytes);
}

std::string utf16ToCp932(std::u16string_view units)
{
    Converter converter = openConverter("cp932");
    if (!converter || units.empty())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    std::string bytes(units.size() * 2 + 1, '\0');
    const int32_t length = ucnv_fromUChars(converter.get(), bytes.data(), int32_t(bytes.size()), units.data(),
                                           int32_t(units.size()), &status);
    if (U_FAILURE(status))
        return {};
    bytes.resize(std::size_t(length));
    return bytes;
}

} // namespace navrik
