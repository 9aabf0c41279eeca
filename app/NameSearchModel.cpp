#include "app/NameSearchModel.h"

#include <algorithm>

NameSearchModel::NameSearchModel(QObject* parent) : QSortFilterProxyModel(parent) {}

void NameSearchModel::setSourceModel(QAbstractItemModel* model) {
    disconnect(forgettingKeysOnReset_);
    disconnect(forgettingKeysOnReorder_);
    const auto forgetKeys = [this] { searchKeys_.reset(); };
    forgetKeys();
    // Before the change reaches this model, which filters again at once: the
    // keys must be made anew by then.
    if (model) {
        forgettingKeysOnReset_ =
            connect(model, &QAbstractItemModel::modelAboutToBeReset, this, forgetKeys);
        forgettingKeysOnReorder_ =
            connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, forgetKeys);
    }
    QSortFilterProxyModel::setSourceModel(model);
}

void NameSearchModel::setSearchText(const QString& text) {
    searchText_ = text;
    searchNeedle_ = searchKey(text);
    // Filtering anew row by row would tell the view of every run of rows that
    // went or came, one signal each, and the view does work for the whole
    // table on each; thousands of them took tens of milliseconds. The view is
    // told once that all its rows changed instead.
    invalidate();
}

QString NameSearchModel::searchKey(const QString& text) {
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

const QStringList& NameSearchModel::searchKeys() const {
    if (searchKeys_) return *searchKeys_;
    const QAbstractItemModel* source = sourceModel();
    const int rows = source ? source->rowCount() : 0;
    searchKeys_.emplace();
    searchKeys_->reserve(rows);
    for (int row = 0; row < rows; ++row)
        searchKeys_->append(searchKey(source->index(row, 0).data().toString()));
    return *searchKeys_;
}

bool NameSearchModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (searchNeedle_.isEmpty()) return true;
    return searchKeys()[sourceRow].contains(searchNeedle_);
}
