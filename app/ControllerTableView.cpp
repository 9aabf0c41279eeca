#include "app/ControllerTableView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QPainter>

#include "app/AskingSelectionModel.h"
#include "app/ControllerTableModel.h"
#include "app/VQ_ImporterAppDelegate.h"

ControllerTableView::ControllerTableView(QWidget* parent)
    : QTableView(parent), model_(new ControllerTableModel(*this, this)) {
    setModel(model_);
    selectionModel_ = new AskingSelectionModel(
        model_,
        [this](int row) { return !delegate_ || delegate_->tableViewShouldSelectRow(this, row); },
        this);
    setSelectionModel(selectionModel_);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    setShowGrid(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 12);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QStringList ControllerTableView::columnIdentifiers() const {
    return model_->columnIdentifiers();
}

void ControllerTableView::setColumnIdentifiers(const QStringList& identifiers) {
    model_->setColumns(identifiers, model_->columnTitles());
}

QStringList ControllerTableView::columnTitles() const {
    return model_->columnTitles();
}

void ControllerTableView::setColumnTitles(const QStringList& titles) {
    model_->setColumns(model_->columnIdentifiers(), titles);
}

QStringList ControllerTableView::numericColumns() const {
    return model_->numericColumns();
}

void ControllerTableView::setNumericColumns(const QStringList& identifiers) {
    model_->setNumericColumns(identifiers);
}

void ControllerTableView::setPlaceholderText(const QString& text) {
    placeholderText_ = text;
    viewport()->update();
}

void ControllerTableView::setDelegate(VQ_ImporterAppDelegate* delegate) {
    delegate_ = delegate;
    model_->setDelegate(delegate);
}

void ControllerTableView::reloadData() {
    const int row = selectedRow();
    model_->reload();
    if (row >= 0 && row < model_->rowCount()) selectionModel_->selectRowWithoutAsking(row);
    viewport()->update();
}

int ControllerTableView::selectedRow() const {
    const QModelIndexList rows = selectionModel_->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ControllerTableView::setDataSource(VQ_ImporterAppDelegate* dataSource) {
    model_->setDataSource(dataSource);
}

void ControllerTableView::registerForDraggedTypes(const std::vector<std::string>& types) {
    QStringList mimeTypes;
    for (const std::string& type : types) mimeTypes << QString::fromStdString(type);
    model_->acceptDrops(mimeTypes);
    setDragDropMode(DropOnly);
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void ControllerTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    QPainter painter(viewport());
    if (model_->rowCount() == 0 && !placeholderText_.isEmpty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect().adjusted(24, 24, -24, -24),
                         Qt::AlignCenter | Qt::TextWordWrap, placeholderText_);
    }
    if (dropTargetShown_) {
        // A frame round the whole table tells that a drop anywhere on it counts.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.drawRect(viewport()->rect().adjusted(1, 1, -2, -2));
    }
}

void ControllerTableView::dragEnterEvent(QDragEnterEvent* event) {
    QTableView::dragEnterEvent(event);
    showDropTarget(event->isAccepted());
}

void ControllerTableView::dragLeaveEvent(QDragLeaveEvent* event) {
    QTableView::dragLeaveEvent(event);
    showDropTarget(false);
}

void ControllerTableView::dropEvent(QDropEvent* event) {
    showDropTarget(false);
    QTableView::dropEvent(event);
}

void ControllerTableView::showDropTarget(bool shown) {
    dropTargetShown_ = shown;
    viewport()->update();
}
