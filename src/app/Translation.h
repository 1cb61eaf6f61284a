// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

namespace navrik {

// Whether the user interface speaks Japanese, its own language, for these languages of the
// desktop in order of preference (QLocale::uiLanguages, which follows LANGUAGE): yes where
// Japanese comes before English, and where no language is chosen at all (the C locale); English
// where English, or only another language, is asked for.
bool speaksJapanese(const QStringList& uiLanguages);

// Installs the English translation where the desktop's language asks for it. Once per run; the
// settings file and the quoting never depend on it.
void installTranslation();

} // namespace navrik
