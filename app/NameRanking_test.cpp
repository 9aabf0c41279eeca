#include "app/NameRanking.h"

#include <gtest/gtest.h>

#include "app/NameSortFilterModel.h"

namespace {

// Long lists are collated in chunks, three here, and merged: each name ranks
// by its place in the whole list, whatever chunk it was in. Names equal to
// the collator (it ignores case) rank by their code points.
TEST(NameRanking, RanksEachNameByItsPlaceInTheWholeList) {
    EXPECT_EQ(NameRanking({"echo", "Echo"}, &NameSortFilterModel::nameCollator).ranks(),
              (std::vector<int>{1, 0}));
    const int count = 2048 * 3 + 5;
    QStringList names;
    std::vector<int> expected;
    for (int i = 0; i < count; ++i) {
        expected.push_back(i * 7919 % count);  // 7919 is prime: every place once
        names << "n" + QString::number(expected.back());
    }
    EXPECT_EQ(NameRanking(names, &NameSortFilterModel::nameCollator).ranks(), expected);
}

}  // namespace
