#include "app/SearchFilterModel.h"

#include "app/ControllerTableModel.h"
#include "app/makePatchList.h"

SearchFilterModel::SearchFilterModel(ControllerTableModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), source_(source) {
    setSourceModel(&source);
}

void SearchFilterModel::setSearchText(const QString& text) {
    needle_ = searchKey(text).toStdString();
    // Filtering anew row by row would tell the view of every run of rows that
    // went or came, one signal each, and the view does work for the whole
    // table on each; thousands of them took tens of milliseconds. The view is
    // told once that all its rows changed instead.
    invalidate();
}

bool SearchFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return needle_.empty() || source_.searchKey(sourceRow).find(needle_) != std::string_view::npos;
}
