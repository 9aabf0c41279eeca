#include "app/HelpPanel.h"

#include <QFile>
#include <QTextBrowser>
#include <QTextDocument>

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

HelpPanel::HelpPanel(QWidget* parent) : SidePanel(parent), text_(new QTextBrowser(this)) {
    setObjectName("helpPanel");
    setWindowTitle(tr("Veltrano Importer Help"));
    text_->setObjectName("helpText");
    text_->setOpenLinks(false);
    setContent(text_, QSize(600, 640));
}

void HelpPanel::makeKeyAndOrderFront() {
    if (text_->document()->isEmpty()) text_->setHtml(helpText());
    showInFront();
}
