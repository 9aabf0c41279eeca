#include "app/makePatchList.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <filesystem>

#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

using testing_support::kEffects;

// Folders only, sorted as people sort in every locale (numbers by value even where ICU ignores
// the numeric mode, in the C locale); names equal to the collator keep code point order; the
// search text is folded, without accents.
TEST(MakePatchList, ListsThePatchFoldersAsPeopleSortThemWithTheirSearchTexts) {
    const testing_support::ScratchLibrary library;
    for (const char* name :
         {"Synth 10", "synth 3", "Synth 2", "beta", "Alpha", "Écho", "echo", "Echo"})
        std::filesystem::create_directories(kEffects + "/" + name);
    testing_support::writeFile(kEffects + "/Loose.pd", "");
    const std::vector<std::string> names = {"Alpha", "beta",    "Echo",    "echo",
                                            "Écho",  "Synth 2", "synth 3", "Synth 10"};
    const std::vector<std::string> keys = {"alpha", "beta",    "echo",    "echo",
                                           "echo",  "synth 2", "synth 3", "synth 10"};
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        const PatchList list = makePatchList(EFFECTS_DIR, 7);
        EXPECT_TRUE(list.typeDir == EFFECTS_DIR && list.sequence == 7u);
        EXPECT_EQ(list.names, names);
        EXPECT_EQ(list.searchKeys, keys);
        ASSERT_EQ(list.paths.size(), names.size());
        for (std::size_t row = 0; row < names.size(); ++row)
            EXPECT_EQ(list.paths[row], kEffects + "/" + names[row]);
    }
    QLocale::setDefault(QLocale::system());
}
