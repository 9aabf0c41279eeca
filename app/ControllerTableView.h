#pragma once

// A table of the main window as the controller sees it: it reads its rows
// and cells from the controller, asks the controller before a row becomes
// selected, and hands drops to it once it is registered as a drop target;
// with dragging enabled, rows dragged out carry what the controller offers
// for them, as a copy, and a drag never drops back on its own window.
// It shows the rows in the controller's order, or only those matching a
// search; the rows it exchanges with the controller are always the
// controller's own.

#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <vector>

#include "app/views.h"

class AskingSelectionModel;
class ControllerTableModel;
class SearchFilterModel;

class ControllerTableView : public QTableView, public views::TableView {
    Q_OBJECT
    // Set by the window's interface description.
    Q_PROPERTY(QStringList columnIdentifiers READ columnIdentifiers WRITE setColumnIdentifiers)
    Q_PROPERTY(QStringList columnTitles READ columnTitles WRITE setColumnTitles)
    Q_PROPERTY(QStringList numericColumns READ numericColumns WRITE setNumericColumns)
    Q_PROPERTY(QString placeholderText READ placeholderText WRITE setPlaceholderText)
public:
    explicit ControllerTableView(QWidget* parent = nullptr);

    QStringList columnIdentifiers() const;
    void setColumnIdentifiers(const QStringList& identifiers);
    QStringList columnTitles() const;
    void setColumnTitles(const QStringList& titles);
    QStringList numericColumns() const;
    void setNumericColumns(const QStringList& identifiers);
    // Shown in place of the rows while the table has none.
    QString placeholderText() const { return placeholderText_; }
    void setPlaceholderText(const QString& text);

    // Shows only the rows whose name contains the text; empty shows all.
    void setSearchText(const QString& text);

    // Who is asked before a row is selected, told when the selection
    // changed, and who takes drops.
    void setDelegate(VQ_ImporterAppDelegate* delegate);

    void reloadData() override;
    void reloadCells() override;
    int selectedRow() const override;
    void setSelectedRow(int row) override;
    std::vector<int> selectedRowIndexes() const override;
    void selectRowIndexes(const std::vector<int>& rows, bool byExtendingSelection) override;
    // Asks for all rows (searchHides) when the search hides any of them.
    void revealRows(const std::vector<int>& rows) override;
    // The controller's rows marked by the last reveal, while they are.
    const std::vector<int>& markedRows() const { return marked_; }
    int shownPlaceOfRow(int row) const override;
    int rowAtShownPlace(int place) const override;
    void setDataSource(VQ_ImporterAppDelegate* dataSource) override;
    void registerForDraggedTypes(const std::vector<std::string>& types) override;

    // A frame round the whole table, which tells that a drop anywhere counts.
    void showDropTarget(bool shown);

signals:
    // Rows to reveal are hidden by the search, which the window is to clear.
    void searchHides();
    // A drag came that only allows its files to be moved, which a drop
    // target that copies cannot take.
    void moveOnlyDragRefused();

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool answerAsCopy(QDropEvent* event);
    int controllerRow(int shownRow) const;

    ControllerTableModel* model_;
    // The controller's rows the search keeps.
    SearchFilterModel* shownRows_;
    AskingSelectionModel* selectionModel_;
    VQ_ImporterAppDelegate* delegate_ = nullptr;
    QString placeholderText_;
    bool dropTargetShown_ = false;
    std::vector<int> marked_;
    QTimer markedFor_;
    // Set while the controller selects, which it needs not be told about.
    bool selectingForController_ = false;
};
