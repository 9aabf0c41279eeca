#include "app/installReportText.h"

#include "app/quoted.h"
#include "app/translate.h"

#include "library/VQAUUtils.h"

namespace {
// The system's reason as part of a sentence: "Permission denied" becomes
// "permission denied". An archive's reason begins with the archive's name,
// which the item's name says already.
std::string reasonInWords(const ItemReport& item) {
    std::string reason = item.reason;
    const std::string archive = getFileName(item.item) + ": ";
    if (reason.starts_with(archive)) reason.erase(0, archive.size());
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z' &&
        (reason.size() == 1 || reason[1] < 'A' || reason[1] > 'Z'))
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return reason;
}

std::string whyNotInstalled(const ItemReport& item) {
    switch (item.outcome) {
        case ItemOutcome::notAPatch: {
            // A folder without its own main patch file, or an item whose
            // patch would have a hidden name (or none), which the list never shows.
            const std::string name = getDirName(item.item);
            if (name.substr(0, name.rfind(".pd")).empty() || name.front() == '.')
                return translate("installReportText", "a hidden name: the list would not show it");
            return fillIn(translate("installReportText", "not a patch folder: no %1 inside"),
                             {quoted(name + ".pd")});
        }
        case ItemOutcome::notFound:
            return translate("installReportText", "not found");
        case ItemOutcome::notARegularFile:
            return translate("installReportText", "not a regular file");
        case ItemOutcome::failed:
            return reasonInWords(item);
        case ItemOutcome::noRoom:
            return translate("installReportText", "no room left on the disk");
        case ItemOutcome::keptEarlierCopy:
            return translate("installReportText", "kept the earlier copy: no trash could take it");
        case ItemOutcome::cancelled:
            return translate("installReportText", "cancelled");
        case ItemOutcome::installed:
            break;
    }
    return "";
}

// The patch an item installs: a single file "Rev.pd" goes into "Rev".
std::string patchOf(const ItemReport& item) {
    if (!item.patch.empty()) return item.patch;
    std::string name = getDirName(item.item);
    if (name.ends_with(".pd")) name.resize(name.size() - 3);
    return name;
}

std::string itemName(const ItemReport& item) {
    return item.patch.empty() ? item.item : getFileName(item.item) + ": " + item.patch;
}
}  // namespace

std::vector<std::pair<std::string, std::string>> itemsNotInstalled(const InstallReport& report) {
    std::vector<std::pair<std::string, std::string>> notInstalled;
    for (const ItemReport& item : report.items)
        if (item.outcome != ItemOutcome::installed)
            notInstalled.emplace_back(itemName(item), whyNotInstalled(item));
    return notInstalled;
}

std::string notInstalledText(std::size_t notInstalled, std::size_t items) {
    // One source text for each English number form, so that a translation
    // can give each its own.
    const std::initializer_list<std::string> counts = {std::to_string(notInstalled),
                                                       std::to_string(items)};
    if (items == 1) return fillIn(translate("installReportText", "%1 of %2 item was not installed"), counts);
    if (notInstalled == 1)
        return fillIn(translate("installReportText", "%1 of %2 items was not installed"), counts);
    return fillIn(translate("installReportText", "%1 of %2 items were not installed"), counts);
}

std::string deletedForGoodText(const InstallReport& report) {
    std::vector<const ItemReport*> deleted;
    for (const ItemReport& item : report.items)
        if (item.earlier == EarlierCopy::deleted) deleted.push_back(&item);
    if (deleted.empty()) return "";
    if (deleted.size() > 1)
        return fillIn(translate("installReportText",
                         "Replaced %1 patches for good: no trash could take the earlier copies"),
                         {std::to_string(deleted.size())});
    return fillIn(translate("installReportText",
                     "Replaced %1 for good: no trash could take the earlier copy"),
                     {quoted(patchOf(*deleted.front()))});
}
