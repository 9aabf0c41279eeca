#include "app/HelpPanel.h"

#include <QFile>
#include <QTextBrowser>

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

HelpPanel::HelpPanel(QWidget* parent) : SidePanel(parent) {
    setObjectName("helpPanel");
    setWindowTitle(tr("Veltrano Importer Help"));
    auto* text = new QTextBrowser(this);
    text->setObjectName("helpText");
    text->setOpenLinks(false);
    text->setHtml(helpText());
    setContent(text, QSize(600, 640));
}

void HelpPanel::makeKeyAndOrderFront() {
    showInFront();
}
