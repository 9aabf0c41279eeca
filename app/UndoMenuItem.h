#pragma once

// Edit > Undo as the window shows it. It takes back the controller's latest
// step, except while the search field has the focus and typing of its own
// to take back: then it takes back that typing, and says so. Ctrl+Z in the
// search field does the same as the menu item, where the field would
// otherwise keep the key for itself even with nothing of its own to undo;
// and so for the redo key, so that a redo item of the window gets it then.

#include <QObject>
#include <QString>
#include <functional>

#include "app/views.h"

class QAction;
class QLineEdit;

class UndoMenuItem : public QObject, public views::MenuItem {
    Q_OBJECT
public:
    UndoMenuItem(QAction& action, QLineEdit& field, std::function<void()> undoStep,
                 QObject* parent = nullptr);

    // The controller's step.
    void setTitle(const std::string& title) override;
    void setEnabled(bool enabled) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool fieldUndoes() const;
    void show();

    QAction& action_;
    QLineEdit& field_;
    std::function<void()> undoStep_;
    QString stepTitle_;
    bool stepEnabled_ = false;
};
