#include "app/ControllerTableModel.h"

#include "app/BusyCursor.h"
#include "app/MimeDraggingInfo.h"
#include "app/VQ_ImporterAppDelegate.h"

namespace {
views::DropOperation dropOperationFor(int row) {
    // Qt proposes no row for a drop onto an item or onto empty space.
    return row < 0 ? views::DropOperation::on : views::DropOperation::above;
}
}  // namespace

ControllerTableModel::ControllerTableModel(const views::TableView& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

void ControllerTableModel::setDataSource(VQ_ImporterAppDelegate* dataSource) {
    beginResetModel();
    dataSource_ = dataSource;
    endResetModel();
}

void ControllerTableModel::setDelegate(VQ_ImporterAppDelegate* delegate) {
    delegate_ = delegate;
}

void ControllerTableModel::setColumns(const QStringList& identifiers, const QStringList& titles) {
    beginResetModel();
    identifiers_ = identifiers;
    titles_ = titles;
    endResetModel();
}

void ControllerTableModel::setNumericColumns(const QStringList& identifiers) {
    numericColumns_ = identifiers;
}

void ControllerTableModel::acceptDrops(const QStringList& mimeTypes) {
    dropTypes_ = mimeTypes;
    acceptsDrops_ = true;
}

void ControllerTableModel::reload() {
    beginResetModel();
    endResetModel();
}

int ControllerTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataSource_) return 0;
    return dataSource_->numberOfRowsInTableView(&table_);
}

int ControllerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(identifiers_.size());
}

QVariant ControllerTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !dataSource_) return {};
    const QString& identifier = identifiers_.at(index.column());
    if (role == Qt::TextAlignmentRole && numericColumns_.contains(identifier))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    // Names are byte strings; invalid UTF-8 shows as replacement characters
    // rather than hiding the row's name.
    return QString::fromStdString(dataSource_->tableViewObjectValueForTableColumnRow(
        &table_, identifier.toStdString(), index.row()));
}

QVariant ControllerTableModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= titles_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) return titles_.at(section);
    if (role == Qt::TextAlignmentRole && numericColumns_.contains(identifiers_.at(section)))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ControllerTableModel::flags(const QModelIndex& index) const {
    // Dropping on a row, between rows or on the empty space below all count.
    const Qt::ItemFlags drop = acceptsDrops_ ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    if (!index.isValid()) return drop;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren | drop;
}

QStringList ControllerTableModel::mimeTypes() const {
    return dropTypes_;
}

Qt::DropActions ControllerTableModel::supportedDropActions() const {
    return acceptsDrops_ ? Qt::CopyAction | Qt::MoveAction | Qt::LinkAction : Qt::IgnoreAction;
}

bool ControllerTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                           const QModelIndex&) const {
    if (!acceptsDrops_ || !delegate_) return false;
    return delegate_->tableViewValidateDropProposedRowProposedDropOperation(
               &table_, MimeDraggingInfo(data), row, dropOperationFor(row)) !=
           views::DragOperation::none;
}

bool ControllerTableModel::dropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                        const QModelIndex&) {
    if (!acceptsDrops_ || !delegate_) return false;
    BusyCursor busy;
    return delegate_->tableViewAcceptDropRowDropOperation(&table_, MimeDraggingInfo(data), row,
                                                          dropOperationFor(row));
}
