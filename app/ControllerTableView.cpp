#include "app/ControllerTableView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScopedValueRollback>

#include "app/AskingSelectionModel.h"
#include "app/ControllerTableModel.h"
#include "app/SearchFilterModel.h"
#include "app/VQ_ImporterAppDelegate.h"

namespace {
// The importer copies what is dropped, so it answers every drag as a copy: a
// drag answered as a move lets its source delete the originals, even when
// the install failed. A source that allows no copy is refused.
bool answerAsCopy(QDropEvent* event) {
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    return true;
}

// Qt's item views accept with the proposed action, which may be a move.
void keepCopyAnswer(QDropEvent* event) {
    if (event->isAccepted()) event->setDropAction(Qt::CopyAction);
}
}  // namespace

ControllerTableView::ControllerTableView(QWidget* parent)
    : QTableView(parent),
      model_(new ControllerTableModel(*this, this)),
      shownRows_(new SearchFilterModel(*model_, this)) {
    setModel(shownRows_);
    selectionModel_ = new AskingSelectionModel(
        shownRows_,
        [this](int shownRow) {
            return !delegate_ || delegate_->tableViewShouldSelectRow(this, controllerRow(shownRow));
        },
        this);
    setSelectionModel(selectionModel_);
    connect(selectionModel_, &QItemSelectionModel::selectionChanged, this, [this] {
        if (delegate_ && !selectingForController_) delegate_->tableViewSelectionDidChange(this);
    });
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    // Tab leaves the table for the next control; the arrow keys move in it.
    setTabKeyNavigation(false);
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

void ControllerTableView::setSearchText(const QString& text) {
    const int selected = selectedRow();
    shownRows_->setSearchText(text);
    // The search hid the selected row: Qt drops it from the selection
    // without a selection signal.
    if (selected >= 0 && selectedRow() < 0 && delegate_)
        delegate_->tableViewSelectionDidChange(this);
    // The patch still selected, as the list grows back round it, stays in view.
    const QModelIndexList shown = selectionModel_->selectedRows();
    if (!shown.isEmpty()) {
        updateGeometries();  // the scroll range of the rows now shown
        scrollTo(shown.first());
    }
    viewport()->update();
}

void ControllerTableView::setDelegate(VQ_ImporterAppDelegate* delegate) {
    delegate_ = delegate;
    model_->setDelegate(delegate);
}

void ControllerTableView::reloadData() {
    model_->reload();
    viewport()->update();
}

int ControllerTableView::controllerRow(int shownRow) const {
    return shownRows_->mapToSource(shownRows_->index(shownRow, 0)).row();
}

int ControllerTableView::selectedRow() const {
    const QModelIndexList rows = selectionModel_->selectedRows();
    return rows.isEmpty() ? -1 : controllerRow(rows.first().row());
}

void ControllerTableView::setSelectedRow(int row) {
    const QScopedValueRollback quiet(selectingForController_, true);
    const QModelIndex shown = shownRows_->mapFromSource(model_->index(row, 0));
    if (!shown.isValid()) {
        selectionModel_->clear();
        return;
    }
    selectionModel_->selectRowWithoutAsking(shown.row());
    scrollTo(shown);
}

int ControllerTableView::shownPlaceOfRow(int row) const {
    const QModelIndex shown = shownRows_->mapFromSource(model_->index(row, 0));
    return shown.isValid() ? shown.row() : -1;
}

int ControllerTableView::rowAtShownPlace(int place) const {
    if (place < 0 || place >= shownRows_->rowCount()) return -1;
    return controllerRow(place);
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
    if (shownRows_->rowCount() == 0 && !placeholderText_.isEmpty()) {
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
    if (answerAsCopy(event)) {
        QTableView::dragEnterEvent(event);
        keepCopyAnswer(event);
    }
    showDropTarget(event->isAccepted());
}

void ControllerTableView::dragMoveEvent(QDragMoveEvent* event) {
    if (!answerAsCopy(event)) return;
    QTableView::dragMoveEvent(event);
    keepCopyAnswer(event);
}

void ControllerTableView::dragLeaveEvent(QDragLeaveEvent* event) {
    QTableView::dragLeaveEvent(event);
    showDropTarget(false);
}

void ControllerTableView::dropEvent(QDropEvent* event) {
    showDropTarget(false);
    if (!answerAsCopy(event)) return;
    QTableView::dropEvent(event);
    keepCopyAnswer(event);
}

void ControllerTableView::showDropTarget(bool shown) {
    dropTargetShown_ = shown;
    viewport()->update();
}
