#include "app/ItemListPanel.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

ItemListPanel::ItemListPanel(QWidget* parent) : SidePanel(parent), list_(new QTreeWidget(this)) {
    setObjectName("itemListPanel");
    list_->setObjectName("itemList");
    list_->setHeaderLabels({tr("Item"), tr("Why")});
    list_->setRootIsDecorated(false);
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->header()->setStretchLastSection(true);
    setContent(list_, QSize(640, 320));
}

void ItemListPanel::showItems(const std::string& title,
                              const std::vector<std::pair<std::string, std::string>>& items) {
    setWindowTitle(QString::fromStdString(title));
    list_->clear();
    for (const auto& [item, note] : items)
        list_->addTopLevelItem(
            new QTreeWidgetItem({QString::fromStdString(item), QString::fromStdString(note)}));
    list_->resizeColumnToContents(0);
    list_->setColumnWidth(0, std::min(list_->columnWidth(0), width() * 2 / 3));
    showInFront();
}
