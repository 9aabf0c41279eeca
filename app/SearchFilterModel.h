#pragma once

// Sorts the rows of a table whose first column names each row the way people
// sort names (ignoring case, numbers by value: "Synth 2" before "Synth 10", by
// the rules of the user's language), or keeps the rows whose name contains a
// search text, ignoring case and accents. For tens of thousands of names,
// what sorting and searching compare is worked out once per reset of the
// source model, when first needed, not at every comparison.

#include <QCollator>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "app/NameRanking.h"

class NameSortFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit NameSortFilterModel(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* model) override;
    // Starts ranking the source's names on another core now, for a sort that
    // comes later (the source must not change meanwhile, or the ranking is
    // dropped with the change), unless a ranking to come from elsewhere is
    // given: it must rank the names the source shows now, in its order.
    void startRanking(RankingToCome toCome);
    // Keeps the rows whose name contains the text; an empty text keeps all.
    void setSearchText(const QString& text);
    QString searchText() const { return searchText_; }

    // The collator names are sorted with: the user's locale, or English in
    // the C and POSIX locales, where ICU ignores the numeric mode.
    static QCollator nameCollator();
    // Text as the search compares it: decomposed, without its accents
    // (non-spacing marks), case-folded.
    static QString searchKey(const QString& text);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QStringList sourceNames() const;
    // A ranking of the source's names, begun on a helper thread.
    std::shared_ptr<NameRanking> rankingOfSourceNames() const;
    // Each source row's place in the sorted order; inline, as the proxy's
    // sort asks for it hundreds of thousands of times.
    const std::vector<int>& ranks() const { return ranks_ ? *ranks_ : makeRanks(); }
    const std::vector<int>& makeRanks() const;
    const QStringList& searchKeys() const;

    QString searchText_;
    QString searchNeedle_;
    // Made anew after every reset of the source, which changes only so.
    mutable std::optional<std::vector<int>> ranks_;
    mutable std::shared_ptr<NameRanking> ranking_;
    mutable RankingToCome rankingToCome_;
    mutable std::optional<QStringList> searchKeys_;
    QMetaObject::Connection forgettingKeys_;
};
