#include "app/NameSortFilterModel.h"

#include <QLocale>
#include <algorithm>
#include <utility>

NameSortFilterModel::NameSortFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {}

void NameSortFilterModel::setSourceModel(QAbstractItemModel* model) {
    disconnect(forgettingKeys_);
    const auto forgetKeys = [this] {
        ranks_.reset();
        ranking_.reset();
        rankingToCome_ = {};
        searchKeys_.reset();
    };
    forgetKeys();
    // Before the reset reaches this model, which sorts and filters again at
    // once: the keys must be made anew by then.
    if (model)
        forgettingKeys_ =
            connect(model, &QAbstractItemModel::modelAboutToBeReset, this, forgetKeys);
    QSortFilterProxyModel::setSourceModel(model);
}

void NameSortFilterModel::setSearchText(const QString& text) {
    searchText_ = text;
    searchNeedle_ = searchKey(text);
    // Filtering anew row by row would tell the view of every run of rows that
    // went or came, one signal each, and the view does work for the whole
    // table on each; thousands of them took tens of milliseconds. The view is
    // told once that all its rows changed instead.
    invalidate();
}

QCollator NameSortFilterModel::nameCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QString NameSortFilterModel::searchKey(const QString& text) {
    // Most names are plain ASCII, which has no accents to strip; folding its
    // case alone is many times faster than decomposing.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing) key.append(c);
    }
    return key.toCaseFolded();
}

QStringList NameSortFilterModel::sourceNames() const {
    const QAbstractItemModel* source = sourceModel();
    QStringList names;
    const int rows = source ? source->rowCount() : 0;
    names.reserve(rows);
    for (int row = 0; row < rows; ++row) names.append(source->index(row, 0).data().toString());
    return names;
}

void NameSortFilterModel::startRanking(RankingToCome toCome) {
    if (toCome.valid()) {
        rankingToCome_ = std::move(toCome);
        return;
    }
    ranking_ = rankingOfSourceNames();
}

std::shared_ptr<NameRanking> NameSortFilterModel::rankingOfSourceNames() const {
    auto ranking = std::make_shared<NameRanking>(sourceNames(), &nameCollator);
    ranking->helpOnAnotherThread();
    return ranking;
}

const std::vector<int>& NameSortFilterModel::makeRanks() const {
    // Ranked once here, so that the many comparisons of the proxy's own sort
    // compare two numbers.
    std::shared_ptr<NameRanking> ranking = std::move(ranking_);
    if (!ranking && rankingToCome_.valid()) {
        std::shared_ptr<NameRanking> come = std::exchange(rankingToCome_, {}).get();
        // Any change of the rows since drops it (see setSourceModel).
        if (come && come->names().size() == sourceModel()->rowCount()) ranking = std::move(come);
    }
    if (!ranking) ranking = rankingOfSourceNames();
    ranks_.emplace(ranking->ranks());
    return *ranks_;
}

const QStringList& NameSortFilterModel::searchKeys() const {
    if (searchKeys_) return *searchKeys_;
    searchKeys_.emplace(sourceNames());
    for (QString& name : *searchKeys_) name = searchKey(name);
    return *searchKeys_;
}

bool NameSortFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const std::vector<int>& rank = ranks();
    return rank[static_cast<std::size_t>(left.row())] < rank[static_cast<std::size_t>(right.row())];
}

bool NameSortFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (searchNeedle_.isEmpty()) return true;
    return searchKeys()[sourceRow].contains(searchNeedle_);
}
