#pragma once

// A selection model that asks before a row becomes selected, so the
// controller can load what the row stands for first (or refuse it).

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

private:
    ShouldSelectRow shouldSelectRow_;
};
