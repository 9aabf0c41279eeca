#pragma once

#include <QLocale>

class QCoreApplication;

// Loads the window's texts and Qt's own (standard buttons, file dialogs) in the
// first of the locale's languages that the program has a translation for;
// English, the texts in the code, otherwise. Log lines are never translated.
void installTranslations(QCoreApplication& app, const QLocale& locale = QLocale());
