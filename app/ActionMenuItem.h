#pragma once

// A menu item of the window, such as Edit > Undo, as the controller sees it.

#include <QAction>

#include "app/views.h"

class ActionMenuItem : public views::MenuItem {
public:
    explicit ActionMenuItem(QAction& action) : action_(action) {}
    void setTitle(const std::string& title) override {
        // "&" marks a menu key; a patch name's own "&" must show as itself.
        action_.setText(QString::fromStdString(title).replace('&', "&&"));
    }
    void setEnabled(bool enabled) override { action_.setEnabled(enabled); }

private:
    QAction& action_;
};
