// SPDX-License-Identifier: MIT
#include "codec/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace navrik {

std::string cp932ToUtf8(std::string_view bytes)
{
    QStringDecoder decoder("cp932");
    const QString text = decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return text.toStdString();
}

namespace {

// Whether the bytes decode in the encoding without an error; Stateless reports an incomplete
// character at the end too.
bool decodesAs(const char* encoding, std::string_view bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return decoder.isValid() && !decoder.hasError();
}

} // namespace

std::string storedTextToUtf8(std::string_view bytes)
{
    if (!decodesAs("cp932", bytes) && decodesAs("UTF-8", bytes))
        return std::string(bytes);
    return cp932ToUtf8(bytes);
}

bool utf8ToCp932(std::string_view text, std::string& out)
{
    QStringEncoder encoder("cp932", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder(QString::fromUtf8(text.data(), qsizetype(text.size())));
    if (encoder.hasError())
        return false;
    out.assign(bytes.constData(), size_t(bytes.size()));
    return true;
}

bool representableInCp932(std::string_view text)
{
    std::string ignored;
    return utf8ToCp932(text, ignored);
}

} // namespace navrik
