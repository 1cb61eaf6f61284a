// SPDX-License-Identifier: MIT
#include "gui/Fonts.h"

#include <QStringList>

namespace navrik {
namespace {

// Windows' own Japanese faces first, then their metric-compatible IPA counterparts, then
// Noto CJK, then whatever the desktop uses.
QFont gothic(const QStringList& families, QFont::StyleHint hint)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

} // namespace

QFont proportionalGothicFont()
{
    return gothic({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("sans-serif")},
                  QFont::SansSerif);
}

QFont fixedGothicFont()
{
    QFont font = gothic({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                         QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace")},
                        QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

} // namespace navrik
