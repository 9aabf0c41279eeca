#include "app/ControllerTableView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScopedValueRollback>
#include <algorithm>

#include "app/AskingSelectionModel.h"
#include "app/ControllerTableModel.h"
#include "app/SearchFilterModel.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/copyDrop.h"

namespace {
// How long revealed rows stay marked.
constexpr int kMarkedMs = 2000;

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
    markedFor_.setSingleShot(true);
    markedFor_.setInterval(kMarkedMs);
    connect(&markedFor_, &QTimer::timeout, this, [this] {
        marked_.clear();
        viewport()->update();
    });
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
    if (selected >= 0 && selectedRow() != selected && delegate_)
        delegate_->tableViewSelectionDidChange(this);
    // The patch still selected stays in view, else the top of the results shows.
    const QModelIndexList shown = selectionModel_->selectedRows();
    updateGeometries();  // the scroll range of the rows now shown
    if (!shown.isEmpty())
        scrollTo(shown.first());
    else
        scrollToTop();
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

void ControllerTableView::reloadCells() {
    model_->reloadCells();
}

int ControllerTableView::controllerRow(int shownRow) const {
    return shownRows_->mapToSource(shownRows_->index(shownRow, 0)).row();
}

int ControllerTableView::selectedRow() const {
    // The row picked last is the current one, unless it was unpicked since.
    const QModelIndex current = selectionModel_->currentIndex();
    if (current.isValid() && selectionModel_->isRowSelected(current.row()))
        return controllerRow(current.row());
    const QModelIndexList rows = selectionModel_->selectedRows();
    return rows.isEmpty() ? -1 : controllerRow(rows.first().row());
}

std::vector<int> ControllerTableView::selectedRowIndexes() const {
    std::vector<int> rows;
    for (const QModelIndex& shown : selectionModel_->selectedRows())
        rows.push_back(controllerRow(shown.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ControllerTableView::selectRowIndexes(const std::vector<int>& rows,
                                           bool byExtendingSelection) {
    const QScopedValueRollback quiet(selectingForController_, true);
    QList<int> shown;
    for (int row : rows) {
        const QModelIndex index = shownRows_->mapFromSource(model_->index(row, 0));
        if (index.isValid()) shown << index.row();
    }
    selectionModel_->selectRowsWithoutAsking(shown, byExtendingSelection);
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

void ControllerTableView::revealRows(const std::vector<int>& rows) {
    const auto hidden = [this](int row) {
        return !shownRows_->mapFromSource(model_->index(row, 0)).isValid();
    };
    if (std::any_of(rows.begin(), rows.end(), hidden)) emit searchHides();
    marked_ = rows;
    markedFor_.start();
    const QModelIndex first = shownRows_->mapFromSource(model_->index(rows.front(), 0));
    if (first.isValid()) {
        updateGeometries();
        scrollTo(first);
    }
    viewport()->update();
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
    // Not setDragDropMode(DropOnly): that would stop the rows being dragged out.
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void ControllerTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    QPainter painter(viewport());
    // Marked rows carry a band of the highlight colour, lighter than a
    // selection, so that the two are never taken for each other.
    QColor band = palette().color(QPalette::Highlight);
    band.setAlphaF(0.25f);
    for (int row : marked_) {
        const QModelIndex shown = shownRows_->mapFromSource(model_->index(row, 0));
        if (shown.isValid())
            painter.fillRect(visualRect(shown).adjusted(0, 0, viewport()->width(), 0), band);
    }
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

bool ControllerTableView::answerAsCopy(QDropEvent* event) {
    if (refusedAsOwn(event)) return false;
    if (answersAsCopy(event)) return true;
    if (event->type() == QEvent::DragEnter) emit moveOnlyDragRefused();
    return false;
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
