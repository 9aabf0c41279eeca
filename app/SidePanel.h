#pragma once

// A window of its own beside the main window, never modal: one widget above
// a Close button. The help panel and the list of items not installed are such.

#include <QDialog>

class SidePanel : public QDialog {
public:
    // Shows the panel in front of the other windows, with the keyboard focus.
    void showInFront();

protected:
    explicit SidePanel(QWidget* parent);
    // Puts `content` above the Close button, in a panel of that size.
    void setContent(QWidget* content, QSize size);
};
