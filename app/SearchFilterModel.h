#pragma once

// Keeps the rows of the patches table whose search text (made with the list,
// see makePatchList) contains the text searched for, ignoring case and
// accents; the rows keep their order.

#include <QSortFilterProxyModel>
#include <QString>
#include <string>

class ControllerTableModel;

class SearchFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit SearchFilterModel(ControllerTableModel& source, QObject* parent = nullptr);

    // Keeps the rows whose search text contains the text; an empty text keeps all.
    void setSearchText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const ControllerTableModel& source_;
    // The search text as the rows' search texts are written.
    std::string needle_;
};
