#include "app/appTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void installTranslations(QCoreApplication& app, const QLocale& locale) {
    // Built into the program from app/translations/*.ts, so the program and
    // its tests find them wherever they run.
    auto* own = new QTranslator(&app);
    if (!own->load(locale, "veltrano-importer", "_", ":/i18n")) {
        delete own;
        return;
    }
    QCoreApplication::installTranslator(own);
    // Qt's own texts only with ours, so a window is never half translated.
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
}
