#include "app/installReportText.h"

#include <gtest/gtest.h>

namespace {

ItemReport item(std::string path, ItemOutcome outcome, std::string patch = "",
                EarlierCopy earlier = EarlierCopy::none, std::string reason = "") {
    return {std::move(path), outcome, std::move(reason), std::move(patch), earlier, {}, nullptr, ""};
}

// Each patch of an archive is listed with its own reason, named after the archive file; the
// outcomes are said in words, the system's reasons within a sentence. Earlier copies deleted for good are named instead of an Undo.
TEST(InstallReportText, ListsEachItemWithItsReasonAndNamesCopiesDeletedForGood) {
    const InstallReport report{
        nullptr,
        {item("/src/pack2.tar", ItemOutcome::installed, "Ok"),
         item("/src/pack2.tar", ItemOutcome::failed, "Way", EarlierCopy::none, "Not a directory"),
         item("/src/Big.pd", ItemOutcome::noRoom), item("/src/x.zip", ItemOutcome::notARegularFile),
         item("/src/Rev", ItemOutcome::keptEarlierCopy), item("/src/Echo/", ItemOutcome::notAPatch),
         item("/src/.pd", ItemOutcome::notAPatch),
         item("/src/a.zip", ItemOutcome::failed, "", EarlierCopy::none, "a.zip: holds nothing")},
        {}};
    using Items = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(itemsNotInstalled(report),
              (Items{{"pack2.tar: Way", "not a directory"},
                     {"/src/Big.pd", "no room left on the disk"},
                     {"/src/x.zip", "not a regular file"},
                     {"/src/Rev", "kept the earlier copy: no trash could take it"},
                     {"/src/Echo/", "not a patch folder: no “Echo.pd” inside"},
                     {"/src/.pd", "a hidden name: the list would not show it"},
                     {"/src/a.zip", "holds nothing"}}));
    const ItemReport deletedFile =
        item("/src/Rev.pd", ItemOutcome::installed, "", EarlierCopy::deleted);
    const ItemReport deletedOfPack =
        item("/src/pack2.tar", ItemOutcome::installed, "Way", EarlierCopy::deleted);
    const std::string forGood = " for good: no trash could take the earlier cop";
    const std::vector<std::pair<std::vector<ItemReport>, std::string>> cases = {
        {{report.items.front()}, ""},
        {{report.items.front(), deletedFile}, "Replaced “Rev”" + forGood + "y"},
        {{deletedOfPack}, "Replaced “Way”" + forGood + "y"},
        {{deletedFile, deletedOfPack}, "Replaced 2 patches" + forGood + "ies"},
    };
    for (const auto& [items, said] : cases)
        EXPECT_EQ(deletedForGoodText(InstallReport{nullptr, items, {}}), said);
}

}  // namespace
