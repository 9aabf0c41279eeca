#pragma once

// A window of its own beside the main window, never modal, listing items
// with a note on each: what became of the items of a request that were not
// installed, and why.

#include "app/SidePanel.h"
#include "app/views.h"

class QTreeWidget;

class ItemListPanel : public SidePanel, public views::ItemListPanel {
    Q_OBJECT
public:
    explicit ItemListPanel(QWidget* parent = nullptr);
    void showItems(const std::string& title,
                   const std::vector<std::pair<std::string, std::string>>& items) override;

private:
    QTreeWidget* list_;
};
