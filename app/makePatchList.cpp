#include "app/makePatchList.h"

#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <vector>

#include "app/ControllerTableModel.h"
#include "library/VQAUUtils.h"

QCollator nameCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QString searchKey(const QString& text) {
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

namespace {

// searchKey in UTF-8. Most names are plain ASCII, which is folded a byte at a
// time, without a QString made and converted for every name.
std::string utf8SearchKey(const QString& text) {
    std::string key(static_cast<std::size_t>(text.size()), '\0');
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c >= 0x80) return searchKey(text).toStdString();
        key[static_cast<std::size_t>(at)] =
            static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return key;
}

}  // namespace

PatchList makePatchList(const char* typeDir, std::uint64_t sequence) {
    std::vector<std::string> paths = listPatchFolders(typeDir);
    const std::size_t count = paths.size();
    std::vector<std::string> names;
    std::vector<QString> shownNames;
    std::vector<QCollatorSortKey> keys;
    names.reserve(count);
    shownNames.reserve(count);
    keys.reserve(count);
    const QCollator collator = nameCollator();
    for (const std::string& path : paths) {
        names.push_back(patchNameFromPath(path));
        // Sorted as the cells show the names (invalid UTF-8 replaced).
        shownNames.push_back(ControllerTableModel::displayText(names.back()));
        keys.push_back(collator.sortKey(shownNames.back()));
    }
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Names equal to the collator ("echo", "Echo") keep one order all the same.
    std::sort(order.begin(), order.end(), [&](std::size_t left, std::size_t right) {
        const int byCollator = keys[left].compare(keys[right]);
        return byCollator != 0 ? byCollator < 0 : shownNames[left] < shownNames[right];
    });
    PatchList list{typeDir, sequence, {}, {}, {}};
    list.paths.reserve(count);
    list.names.reserve(count);
    list.searchKeys.reserve(count);
    for (const std::size_t at : order) {
        list.paths.push_back(std::move(paths[at]));
        list.names.push_back(std::move(names[at]));
        list.searchKeys.push_back(utf8SearchKey(shownNames[at]));
    }
    return list;
}
