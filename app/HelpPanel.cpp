#include "app/HelpPanel.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include "library/VQAUUtils.h"

namespace {
// The level of the headings of the help's sections (<h3>).
constexpr int kSectionLevel = 3;

// The help in the language of the window's translation: each translation names
// its own help file, and without one, or when the named file is not built in,
// the help is the English one.
QString helpText() {
    //: The file name of the help in this language, built in beside help.html.
    QFile file(":/help/" + HelpPanel::tr("help.html"));
    if (!file.exists()) file.setFileName(":/help/help.html");
    if (!file.open(QIODevice::ReadOnly)) return {};
    const auto path = [](const char* dir) { return QString::fromUtf8(dir).toHtmlEscaped(); };
    return QString::fromUtf8(file.readAll())
        .arg(path(BASE_DIR), path(EFFECTS_DIR), path(INSTRUMENTS_DIR));
}
}  // namespace

HelpPanel::HelpPanel(QWidget* parent)
    : SidePanel(parent), contents_(new QListWidget(this)), text_(new QTextBrowser(this)) {
    setObjectName("helpPanel");
    setWindowTitle(tr("Veltrano Importer Help"));
    contents_->setObjectName("helpContents");
    contents_->setAccessibleName(tr("Contents"));
    contents_->setMaximumWidth(200);
    text_->setObjectName("helpText");
    text_->setAccessibleName(tr("Help text"));
    text_->setOpenLinks(false);
    connect(contents_, &QListWidget::currentRowChanged, this, &HelpPanel::showSection);
    auto* content = new QWidget(this);
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(contents_);
    layout->addWidget(text_, 1);
    setContent(content, QSize(780, 640));
}

void HelpPanel::makeKeyAndOrderFront() {
    if (text_->document()->isEmpty()) {
        text_->setHtml(helpText());
        // The sections are the text's own headings, so the list never
        // names one the text does not have.
        for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next())
            if (block.blockFormat().headingLevel() == kSectionLevel) {
                auto* item = new QListWidgetItem(block.text(), contents_);
                item->setData(Qt::UserRole, block.position());
            }
    }
    showInFront();
}

void HelpPanel::showSection(int section) {
    const QListWidgetItem* item = contents_->item(section);
    if (!item) return;
    const QTextBlock heading = text_->document()->findBlock(item->data(Qt::UserRole).toInt());
    const QRectF place = text_->document()->documentLayout()->blockBoundingRect(heading);
    // The heading at the top, or as near as the end of the text allows.
    text_->verticalScrollBar()->setValue(int(place.top()));
}
