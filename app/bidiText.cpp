#include "app/bidiText.h"

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QWidget>

namespace {
const QChar kLeftToRightMark(0x200E);
}  // namespace

QString withEndInPlace(const QString& text) {
    if (!QGuiApplication::isRightToLeft() || text.isEmpty() || text.isRightToLeft() ||
        text.endsWith(kLeftToRightMark))
        return text;
    return text + kLeftToRightMark;
}

void putTextEndsInPlace(QWidget& window) {
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        button->setText(withEndInPlace(button->text()));
    for (QAction* action : window.findChildren<QAction*>())
        action->setText(withEndInPlace(action->text()));
}
