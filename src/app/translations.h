// The program in the user's language: Qt's own translations (the standard dialogs'
// buttons and texts) and the program's, for the language of a locale.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace pellimar {

// Installs the translations for `locale` into `app`; true when the program's own
// were found. With none for that language the texts stay in English.
bool loadTranslations(QCoreApplication& app, const QLocale& locale);

}  // namespace pellimar
