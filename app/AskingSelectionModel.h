#pragma once

// A selection model that asks before a row becomes selected, so the
// controller can load what the row stands for first (or refuse it). Where
// several rows become selected at once, it asks about the current one, the
// row the user picked last, when it is among them.

#include <QItemSelectionModel>
#include <functional>

class AskingSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    using ShouldSelectRow = std::function<bool(int row)>;
    AskingSelectionModel(QAbstractItemModel* model, ShouldSelectRow shouldSelectRow,
                         QObject* parent = nullptr);

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, SelectionFlags command) override;
    // Selects a row without asking: for keeping a selection across reloads.
    void selectRowWithoutAsking(int row);
    // Selects the rows, with those selected already or alone, without asking.
    void selectRowsWithoutAsking(const QList<int>& rows, bool keepSelected);

private:
    ShouldSelectRow shouldSelectRow_;
};
