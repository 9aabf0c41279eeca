#include "app/NameRanking.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "app/NameSortFilterModel.h"

namespace {

// As the window ranks: a helper thread takes chunks too.
std::vector<int> ranks(const QStringList& names) {
    NameRanking ranking(names, &NameSortFilterModel::nameCollator);
    ranking.helpOnAnotherThread();
    return ranking.ranks();
}

// Long lists are collated in chunks (three here) and merged; names equal to the collator rank by
// code points; numbers compare by value in every locale (ICU ignores it in the C locale).
TEST(NameRanking, RanksEachNameByItsPlaceInTheWholeListAsPeopleSortInEveryLocale) {
    EXPECT_EQ(ranks({"echo", "Echo"}), (std::vector<int>{1, 0}));
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(ranks({"Synth 10", "synth 3", "Synth 2", "beta", "Alpha", "Écho", "echo"}),
                  (std::vector<int>{6, 5, 4, 1, 0, 3, 2}))
            << locale.name().toStdString();
    }
    QLocale::setDefault(QLocale::system());
    const int count = 2048 * 3 + 5;
    QStringList names;
    std::vector<int> expected;
    for (int i = 0; i < count; ++i) {
        expected.push_back(i * 7919 % count);  // 7919 is prime: every place once
        names << "n" + QString::number(expected.back());
    }
    EXPECT_EQ(ranks(names), expected);
}

}  // namespace
