#include "app/NameOrderModel.h"

#include <QLocale>

NameOrderModel::NameOrderModel(QObject* parent) : QAbstractProxyModel(parent) {}

NameOrderModel::~NameOrderModel() = default;

void NameOrderModel::setSourceModel(QAbstractItemModel* model) {
    beginResetModel();
    for (const QMetaObject::Connection& connection : sourceConnections_) disconnect(connection);
    sourceConnections_.clear();
    ranking_.reset();
    QAbstractProxyModel::setSourceModel(model);
    if (model) {
        sourceConnections_ = {
            connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
                    [this] {
                        beginResetModel();
                        ranking_.reset();
                    }),
            connect(model, &QAbstractItemModel::modelReset, this,
                    [this] {
                        order();
                        endResetModel();
                    }),
            connect(model, &QAbstractItemModel::dataChanged, this,
                    [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles) {
                        // Rows apart in the source may be anywhere here.
                        for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                            emit dataChanged(mapFromSource(topLeft.siblingAtRow(row)),
                                             mapFromSource(bottomRight.siblingAtRow(row)), roles);
                    }),
            connect(model, &QAbstractItemModel::headerDataChanged, this,
                    &QAbstractItemModel::headerDataChanged),
        };
    }
    order();
    endResetModel();
}

void NameOrderModel::setSortedByName(bool sorted) {
    if (sorted == sortedByName_) return;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList sources;
    sources.reserve(before.size());
    for (const QModelIndex& index : before) sources.append(mapToSource(index));
    sortedByName_ = sorted;
    order();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& source : sources) after.append(mapFromSource(source));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void NameOrderModel::startRanking() {
    ranking_ = std::make_unique<NameRanking>(sourceNames(), &nameCollator);
}

QCollator NameOrderModel::nameCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

void NameOrderModel::order() {
    rowAt_.clear();
    placeOf_.clear();
    const QAbstractItemModel* source = sourceModel();
    if (!sortedByName_ || !source || source->rowCount() == 0) {
        ranking_.reset();
        return;
    }
    std::unique_ptr<NameRanking> ranking = std::move(ranking_);
    if (!ranking) ranking = std::make_unique<NameRanking>(sourceNames(), &nameCollator);
    placeOf_ = ranking->ranks();
    rowAt_.resize(placeOf_.size());
    for (std::size_t row = 0; row < placeOf_.size(); ++row)
        rowAt_[static_cast<std::size_t>(placeOf_[row])] = static_cast<int>(row);
}

QStringList NameOrderModel::sourceNames() const {
    const QAbstractItemModel* source = sourceModel();
    QStringList names;
    const int rows = source ? source->rowCount() : 0;
    names.reserve(rows);
    for (int row = 0; row < rows; ++row) names.append(source->index(row, 0).data().toString());
    return names;
}

QModelIndex NameOrderModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex NameOrderModel::parent(const QModelIndex&) const {
    return {};
}

int NameOrderModel::rowCount(const QModelIndex& parent) const {
    return sourceModel() && !parent.isValid() ? sourceModel()->rowCount() : 0;
}

int NameOrderModel::columnCount(const QModelIndex& parent) const {
    return sourceModel() && !parent.isValid() ? sourceModel()->columnCount() : 0;
}

QModelIndex NameOrderModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || !sourceModel()) return {};
    const int row =
        rowAt_.empty() ? proxyIndex.row() : rowAt_[static_cast<std::size_t>(proxyIndex.row())];
    return sourceModel()->index(row, proxyIndex.column());
}

QModelIndex NameOrderModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid()) return {};
    const int row = placeOf_.empty() ? sourceIndex.row()
                                     : placeOf_[static_cast<std::size_t>(sourceIndex.row())];
    return index(row, sourceIndex.column());
}
