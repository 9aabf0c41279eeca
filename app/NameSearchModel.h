#pragma once

// Keeps the rows of a table whose first column holds a name containing a
// search text, ignoring case and accents. For tens of thousands of names,
// the text each name is searched as is made once per change of the source's
// rows, when first needed, not at every keystroke.

#include <QSortFilterProxyModel>
#include <QStringList>
#include <optional>

class NameSearchModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit NameSearchModel(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* model) override;
    // Keeps the rows whose name contains the text; an empty text keeps all.
    void setSearchText(const QString& text);
    QString searchText() const { return searchText_; }

    // Text as the search compares it: decomposed, without its accents
    // (non-spacing marks), case-folded.
    static QString searchKey(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const QStringList& searchKeys() const;

    QString searchText_;
    QString searchNeedle_;
    // By source row: made anew after every reset or reordering of the source.
    mutable std::optional<QStringList> searchKeys_;
    QMetaObject::Connection forgettingKeysOnReset_;
    QMetaObject::Connection forgettingKeysOnReorder_;
};
