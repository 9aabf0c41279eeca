#pragma once

// The help panel: a window of its own beside the main window, never modal,
// explaining how to install, browse, inspect and delete patches, with its
// sections listed beside the text: choosing one shows it.

#include "app/SidePanel.h"
#include "app/views.h"

class QListWidget;
class QTextBrowser;

class HelpPanel : public SidePanel, public views::Panel {
    Q_OBJECT
public:
    explicit HelpPanel(QWidget* parent = nullptr);
    // Loads the text the first time: most starts never show it.
    void makeKeyAndOrderFront() override;

private:
    void showSection(int section);

    QListWidget* contents_;
    QTextBrowser* text_;
};
