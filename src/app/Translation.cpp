// SPDX-License-Identifier: MIT
#include "app/Translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace navrik {

bool speaksJapanese(const QStringList& uiLanguages)
{
    for (const QString& language : uiLanguages) {
        if (language == u"C" || language == u"POSIX" || language.startsWith(u"ja"))
            return true;
        if (language.startsWith(u"en"))
            return false;
    }
    return uiLanguages.isEmpty();
}

void installTranslation()
{
    static QTranslator* english = nullptr;
    if (english || speaksJapanese(QLocale::system().uiLanguages()))
        return;
    english = new QTranslator(qApp);
    if (english->load(QStringLiteral(":/i18n/navrik_en.qm")))
        QCoreApplication::installTranslator(english);
}

} // namespace navrik
