#include "app/AskingSelectionModel.h"

AskingSelectionModel::AskingSelectionModel(QAbstractItemModel* model,
                                           ShouldSelectRow shouldSelectRow, QObject* parent)
    : QItemSelectionModel(model, parent), shouldSelectRow_(std::move(shouldSelectRow)) {}

void AskingSelectionModel::select(const QItemSelection& selection, SelectionFlags command) {
    if ((command & Select) && !selection.isEmpty()) {
        const int asked =
            selection.contains(currentIndex()) ? currentIndex().row() : selection.first().top();
        if (!shouldSelectRow_(asked)) return;
    }
    QItemSelectionModel::select(selection, command);
}

void AskingSelectionModel::selectRowWithoutAsking(int row) {
    const QModelIndex index = model()->index(row, 0);
    QItemSelectionModel::setCurrentIndex(index, NoUpdate);
    QItemSelectionModel::select(QItemSelection(index, index), ClearAndSelect | Rows);
}

void AskingSelectionModel::selectRowsWithoutAsking(const QList<int>& rows, bool keepSelected) {
    QItemSelection selection;
    for (int row : rows) selection.select(model()->index(row, 0), model()->index(row, 0));
    QItemSelectionModel::select(selection, (keepSelected ? Select : ClearAndSelect) | Rows);
}
