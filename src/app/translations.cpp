#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace pellimar {

bool loadTranslations(QCoreApplication& app, const QLocale& locale) {
    // Qt's own first: the program's are installed last and so are looked in first.
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    auto* own = new QTranslator(&app);
    if (own->load(locale, "pellimar", "_", ":/i18n")) {
        QCoreApplication::installTranslator(own);
        return true;
    }
    delete own;
    return false;
}

}  // namespace pellimar
