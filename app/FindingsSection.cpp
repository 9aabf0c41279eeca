#include "app/FindingsSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// At most this many lines of text show before the list scrolls.
constexpr int kLinesShown = 8;

QStyle::StandardPixmap iconOf(pdpatch::Severity severity) {
    switch (severity) {
        case pdpatch::Severity::error:
            return QStyle::SP_MessageBoxCritical;
        case pdpatch::Severity::warning:
            return QStyle::SP_MessageBoxWarning;
        case pdpatch::Severity::note:
            break;
    }
    return QStyle::SP_MessageBoxInformation;
}
}  // namespace

FindingsSection::FindingsSection(QWidget* parent)
    : QWidget(parent), scrollArea_(new QScrollArea(this)), rows_(new QWidget) {
    setObjectName("findingsSection");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(new QLabel(tr("Patch check"), this));
    rowsLayout_ = new QVBoxLayout(rows_);
    rowsLayout_->setContentsMargins(6, 4, 6, 4);
    scrollArea_->setWidget(rows_);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setAccessibleName(tr("Patch check of the selected patch"));
    scrollArea_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    scrollArea_->setMaximumHeight(fontMetrics().lineSpacing() * kLinesShown + 16);
    layout->addWidget(scrollArea_);
    hide();
}

void FindingsSection::showFindings(const std::vector<views::ListedFinding>& findings) {
    // Rows are widgets of their own, and the stretch below them an item.
    while (QLayoutItem* item = rowsLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    for (const views::ListedFinding& finding : findings) {
        auto* rowWidget = new QWidget(rows_);
        auto* row = new QHBoxLayout(rowWidget);
        row->setContentsMargins(0, 0, 0, 0);
        auto* icon = new QLabel(rowWidget);
        icon->setPixmap(style()->standardIcon(iconOf(finding.severity)).pixmap(iconSize));
        icon->setAlignment(Qt::AlignTop);
        icon->setAccessibleName(finding.severity == pdpatch::Severity::error     ? tr("Error")
                                : finding.severity == pdpatch::Severity::warning ? tr("Warning")
                                                                                 : tr("Note"));
        auto* text = new QLabel(QString::fromStdString(finding.text), rowWidget);
        text->setObjectName("findingText");
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setToolTip(QString::fromStdString(finding.place));
        text->setAccessibleDescription(icon->accessibleName() + ", " + text->toolTip());
        row->addWidget(icon);
        row->addWidget(text, 1);
        rowsLayout_->addWidget(rowWidget);
    }
    rowsLayout_->addStretch();
    setVisible(!findings.empty());
}
