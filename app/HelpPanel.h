#pragma once

// The help panel: a window of its own beside the main window, never modal,
// explaining how to install, browse, inspect and delete patches.

#include "app/SidePanel.h"
#include "app/views.h"

class QTextBrowser;

class HelpPanel : public SidePanel, public views::Panel {
    Q_OBJECT
public:
    explicit HelpPanel(QWidget* parent = nullptr);
    // Loads the text the first time: most starts never show it.
    void makeKeyAndOrderFront() override;

private:
    QTextBrowser* text_;
};
