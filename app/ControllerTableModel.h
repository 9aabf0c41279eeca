#pragma once

// The Qt model of one of the window's tables. It keeps no data of its own:
// every row count, cell text and row mark comes from the controller, its data
// source, and drops on the table and drags out of it go to the controller, its
// delegate. A row's mark shows as an icon before the text of its first cell,
// and what it means in the cell's tooltip and in its description for screen
// readers.

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

#include "app/views.h"

class ControllerTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `table` is the view the controller knows this model's table as.
    explicit ControllerTableModel(const views::TableView& table, QObject* parent = nullptr);

    void setDataSource(VQ_ImporterAppDelegate* dataSource);
    void setDelegate(VQ_ImporterAppDelegate* delegate);
    // Identifiers the controller tells the columns by, and their titles.
    void setColumns(const QStringList& identifiers, const QStringList& titles);
    const QStringList& columnIdentifiers() const { return identifiers_; }
    const QStringList& columnTitles() const { return titles_; }
    // Cells of these columns are right-aligned, as numbers are.
    void setNumericColumns(const QStringList& identifiers);
    const QStringList& numericColumns() const { return numericColumns_; }
    // Accepts drops from now on; drags carrying one of the types are expected.
    void acceptDrops(const QStringList& mimeTypes);
    // Forgets everything the view cached and asks the data source again.
    void reload();
    // Forgets the cells' contents only: rows and selection stay.
    void reloadCells();
    // The text the search looks in for a row (see SearchFilterModel).
    std::string_view searchKey(int row) const;
    // What a cell shows of the data source's text.
    static QString displayText(const std::string& text);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    // Rows dragged out carry what the delegate offers for them (patch
    // folders as file URLs), always as a copy: a move would let the drop
    // target delete them from the library.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

private:
    void forgetRows();

    const views::TableView& table_;
    VQ_ImporterAppDelegate* dataSource_ = nullptr;
    VQ_ImporterAppDelegate* delegate_ = nullptr;
    QStringList identifiers_;
    // The same, as the controller takes them (converted once, not per cell).
    std::vector<std::string> controllerIdentifiers_;
    QStringList titles_;
    QStringList numericColumns_;
    QStringList dropTypes_;
    // The data source's row count as of the last reload.
    int rows_ = 0;
    bool acceptsDrops_ = false;
    // Texts longer than a cell shows, as shown, until the next reload: the
    // view asks for a cell at every repaint, and the controller hands over
    // the whole text, which may be megabytes long.
    mutable QHash<quint64, QString> longTexts_;
};
