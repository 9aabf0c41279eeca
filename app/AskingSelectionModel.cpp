#include "app/AskingSelectionModel.h"

AskingSelectionModel::AskingSelectionModel(QAbstractItemModel* model,
                                           ShouldSelectRow shouldSelectRow, QObject* parent)
    : QItemSelectionModel(model, parent), shouldSelectRow_(std::move(shouldSelectRow)) {}

void AskingSelectionModel::select(const QItemSelection& selection, SelectionFlags command) {
    const bool selectsRow = (command & Select) && !selection.isEmpty();
    if (selectsRow && !shouldSelectRow_(selection.first().top())) return;
    QItemSelectionModel::select(selection, command);
}

void AskingSelectionModel::selectRowWithoutAsking(int row) {
    const QModelIndex index = model()->index(row, 0);
    QItemSelectionModel::setCurrentIndex(index, NoUpdate);
    QItemSelectionModel::select(QItemSelection(index, index), ClearAndSelect | Rows);
}
