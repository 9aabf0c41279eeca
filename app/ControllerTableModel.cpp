#include "app/ControllerTableModel.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <algorithm>

#include "app/MimeDraggingInfo.h"
#include "app/VQ_ImporterAppDelegate.h"

namespace {
// A cell shows at most this many characters and its tooltip a few more:
// laying out a name of megabytes (one patch declared a parameter named with
// 200,000 accents) took seconds at every repaint.
constexpr qsizetype kCellCharacters = 300;
constexpr qsizetype kToolTipCharacters = 2000;
// Unicode's stream-safe text format allows at most 30 marks in a row; more
// only stack into one unreadable blot that is slow to lay out.
constexpr int kMarksInARow = 30;

bool isUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// At most `limit` characters (code points) of UTF-8 text, ending in "…" when
// cut. Only the bytes that can hold them are converted, cut where a sequence
// starts, so a huge text costs no more than a short one.
QString cappedText(const std::string& bytes, qsizetype limit) {
    // Most cells (every patch name of a long list) are short ASCII.
    if (bytes.size() <= static_cast<std::size_t>(limit) &&
        std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const std::size_t mostBytes = static_cast<std::size_t>(limit + 1) * 4;
    std::size_t end = std::min(bytes.size(), mostBytes);
    // A sequence is at most 4 bytes long; stray continuation bytes further
    // back are invalid and convert to replacement characters anyway.
    for (int back = 0; end < bytes.size() && back < 3 && isUtf8Continuation(bytes[end]); ++back)
        --end;
    // Invalid UTF-8 shows as replacement characters rather than hiding text.
    const QString converted = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(end));
    QString text;
    bool cut = end < bytes.size();
    qsizetype characters = 0;
    int marksInARow = 0;
    for (qsizetype at = 0; at < converted.size();) {
        const bool pair = converted.at(at).isHighSurrogate() && at + 1 < converted.size() &&
                          converted.at(at + 1).isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const char32_t codePoint =
            pair ? QChar::surrogateToUcs4(converted.at(at), converted.at(at + 1))
                 : converted.at(at).unicode();
        marksInARow = QChar::isMark(codePoint) ? marksInARow + 1 : 0;
        if (characters == limit || marksInARow > kMarksInARow) {
            cut = true;
            if (characters == limit) break;
        } else {
            text.append(converted.constData() + at, units);
            ++characters;
        }
        at += units;
    }
    return cut ? text + QChar(0x2026) : text;
}

// The style's own icons for a warning and an error, as its message boxes show them.
QVariant markIcon(views::RowMark mark) {
    switch (mark) {
        case views::RowMark::warning:
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        case views::RowMark::error:
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
        case views::RowMark::none:
            break;
    }
    return {};
}

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
    forgetRows();
    endResetModel();
}

void ControllerTableModel::setDelegate(VQ_ImporterAppDelegate* delegate) {
    delegate_ = delegate;
}

void ControllerTableModel::setColumns(const QStringList& identifiers, const QStringList& titles) {
    beginResetModel();
    identifiers_ = identifiers;
    controllerIdentifiers_.clear();
    for (const QString& identifier : identifiers)
        controllerIdentifiers_.push_back(identifier.toStdString());
    titles_ = titles;
    longTexts_.clear();
    endResetModel();
}

void ControllerTableModel::setNumericColumns(const QStringList& identifiers) {
    numericColumns_ = identifiers;
}

void ControllerTableModel::acceptDrops(const QStringList& mimeTypes) {
    dropTypes_ = mimeTypes;
    acceptsDrops_ = true;
}

void ControllerTableModel::reloadCells() {
    longTexts_.clear();
    if (rows_ > 0 && !identifiers_.isEmpty())
        // Not the text: the search need not filter the rows again.
        emit dataChanged(index(0, 0), index(rows_ - 1, static_cast<int>(identifiers_.size()) - 1),
                         {Qt::DecorationRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

void ControllerTableModel::reload() {
    beginResetModel();
    forgetRows();
    endResetModel();
}

std::string_view ControllerTableModel::searchKey(int row) const {
    return dataSource_ ? dataSource_->tableViewSearchKeyForRow(&table_, row) : std::string_view();
}

QString ControllerTableModel::displayText(const std::string& text) {
    return cappedText(text, kCellCharacters);
}

void ControllerTableModel::forgetRows() {
    longTexts_.clear();
    // The data source's rows change only with a reload, which comes here.
    rows_ = dataSource_ ? dataSource_->numberOfRowsInTableView(&table_) : 0;
}

QModelIndex ControllerTableModel::index(int row, int column, const QModelIndex& parent) const {
    // Asked for at every row of a long list when it is filtered: checked
    // directly rather than through hasIndex, which calls rowCount and
    // columnCount virtually each time.
    if (parent.isValid() || row < 0 || column < 0 || column >= identifiers_.size() || row >= rows_)
        return {};
    return createIndex(row, column);
}

int ControllerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ControllerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(identifiers_.size());
}

QVariant ControllerTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !dataSource_) return {};
    const QString& identifier = identifiers_.at(index.column());
    if (role == Qt::TextAlignmentRole && numericColumns_.contains(identifier))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::DecorationRole && index.column() == 0)
        return markIcon(dataSource_->tableViewMarkForRow(&table_, index.row()));
    if (role == Qt::AccessibleDescriptionRole && index.column() == 0)
        return QString::fromStdString(
            dataSource_->tableViewMarkDescriptionForRow(&table_, index.row()));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const bool display = role == Qt::DisplayRole;
    const quint64 key = (quint64(index.row()) << 32) | (quint64(index.column()) << 1) | display;
    const auto cached = longTexts_.constFind(key);
    if (cached != longTexts_.constEnd()) return *cached;
    const std::string& column = controllerIdentifiers_[static_cast<std::size_t>(index.column())];
    const std::string text =
        display ? dataSource_->tableViewObjectValueForTableColumnRow(&table_, column, index.row())
                : dataSource_->tableViewToolTipForTableColumnRow(&table_, column, index.row());
    const qsizetype limit = display ? kCellCharacters : kToolTipCharacters;
    if (text.size() <= static_cast<std::size_t>(limit)) return cappedText(text, limit);
    return *longTexts_.insert(key, cappedText(text, limit));
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
    // Whether rows are dragged at all is the view's to say.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren | drop;
}

QStringList ControllerTableModel::mimeTypes() const {
    return dropTypes_;
}

QMimeData* ControllerTableModel::mimeData(const QModelIndexList& indexes) const {
    if (!delegate_) return nullptr;
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<QUrl> urls;
    for (const std::string& path : delegate_->tableViewFileNamesForDraggedRows(&table_, rows))
        urls << QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
    if (urls.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

Qt::DropActions ControllerTableModel::supportedDragActions() const {
    return Qt::CopyAction;
}

Qt::DropActions ControllerTableModel::supportedDropActions() const {
    // Drops are copied into the library, never moved.
    return acceptsDrops_ ? Qt::CopyAction : Qt::IgnoreAction;
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
    return delegate_->tableViewAcceptDropRowDropOperation(&table_, MimeDraggingInfo(data), row,
                                                          dropOperationFor(row));
}
