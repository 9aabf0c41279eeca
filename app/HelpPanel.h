#pragma once

// The help panel: a window of its own beside the main window, never modal,
// explaining how to install, browse, inspect and delete patches.

#include <QDialog>

#include "app/views.h"

class HelpPanel : public QDialog, public views::Panel {
    Q_OBJECT
public:
    explicit HelpPanel(QWidget* parent = nullptr);
    void makeKeyAndOrderFront() override;
};
