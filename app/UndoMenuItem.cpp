#include "app/UndoMenuItem.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/bidiText.h"

UndoMenuItem::UndoMenuItem(QAction& action, QLineEdit& field, std::function<void()> undoStep,
                           QObject* parent)
    : QObject(parent), action_(action), field_(field), undoStep_(std::move(undoStep)) {
    connect(&action_, &QAction::triggered, this, [this] {
        if (fieldUndoes())
            field_.undo();
        else
            undoStep_();
    });
    // What the field can undo changes as it is edited and as the focus moves.
    connect(&field_, &QLineEdit::textChanged, this, &UndoMenuItem::show);
    connect(qApp, &QApplication::focusChanged, this, &UndoMenuItem::show);
    field_.installEventFilter(this);
}

void UndoMenuItem::setTitle(const std::string& title) {
    // "&" marks a menu key; a patch name's own "&" must show as itself.
    stepTitle_ = QString::fromStdString(title).replace('&', "&&");
    show();
}

void UndoMenuItem::setEnabled(bool enabled) {
    stepEnabled_ = enabled;
    show();
}

bool UndoMenuItem::fieldUndoes() const {
    return field_.hasFocus() && field_.isUndoAvailable();
}

void UndoMenuItem::show() {
    const bool field = fieldUndoes();
    action_.setText(withEndInPlace(field ? tr("&Undo Typing in Search") : stepTitle_));
    action_.setEnabled(field || stepEnabled_);
}

bool UndoMenuItem::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &field_ && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Not taken by the field, the key goes to the window's menu items.
        if ((key->matches(QKeySequence::Undo) && !field_.isUndoAvailable()) ||
            (key->matches(QKeySequence::Redo) && !field_.isRedoAvailable())) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
