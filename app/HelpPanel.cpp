#include "app/HelpPanel.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "library/VQAUUtils.h"

namespace {
QString helpText() {
    QFile file(":/help/help.html");
    if (!file.open(QIODevice::ReadOnly)) return {};
    const auto path = [](const char* dir) { return QString::fromUtf8(dir).toHtmlEscaped(); };
    return QString::fromUtf8(file.readAll())
        .arg(path(BASE_DIR), path(EFFECTS_DIR), path(INSTRUMENTS_DIR));
}
}  // namespace

HelpPanel::HelpPanel(QWidget* parent) : QDialog(parent) {
    setObjectName("helpPanel");
    setWindowTitle(tr("Veltrano Importer Help"));
    setModal(false);
    auto* text = new QTextBrowser(this);
    text->setObjectName("helpText");
    text->setOpenLinks(false);
    text->setHtml(helpText());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(600, 640);
}

void HelpPanel::makeKeyAndOrderFront() {
    show();
    raise();
    activateWindow();
}
