#include "app/SidePanel.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

SidePanel::SidePanel(QWidget* parent) : QDialog(parent) {
    setModal(false);
}

void SidePanel::setContent(QWidget* content, QSize size) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(content);
    layout->addWidget(buttons);
    resize(size);
}

void SidePanel::showInFront() {
    show();
    raise();
    activateWindow();
}
