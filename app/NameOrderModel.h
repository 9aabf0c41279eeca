#pragma once

// The rows of a flat table in the order people sort names (ignoring case,
// numbers by value: "Synth 2" before "Synth 10", by the rules of the user's
// language), or in the table's own order. The order is worked out once per
// reset of the table, from each name's rank, and kept as a plain list of
// rows: Qt's sorting proxy compares rows through model indexes, which for
// tens of thousands of names cost more than the rest of the window's start.

#include <QAbstractProxyModel>
#include <QCollator>
#include <memory>
#include <vector>

#include "app/NameRanking.h"

class NameOrderModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit NameOrderModel(QObject* parent = nullptr);
    ~NameOrderModel() override;

    // The source must be a flat table that changes only by resets.
    void setSourceModel(QAbstractItemModel* model) override;
    bool isSortedByName() const { return sortedByName_; }
    void setSortedByName(bool sorted);
    // Starts ranking the source's names on another core now, for a sort that
    // comes later (a reset of the source drops it).
    void startRanking();

    // The collator names are sorted with: the user's locale, or English in
    // the C and POSIX locales, where ICU ignores the numeric mode.
    static QCollator nameCollator();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;

private:
    // Fills rowAt_ and placeOf_ for the current order.
    void order();
    QStringList sourceNames() const;

    bool sortedByName_ = true;
    // Source row of each row, and row of each source row; empty while the
    // order is the source's own.
    std::vector<int> rowAt_;
    std::vector<int> placeOf_;
    std::unique_ptr<NameRanking> ranking_;
    std::vector<QMetaObject::Connection> sourceConnections_;
};
