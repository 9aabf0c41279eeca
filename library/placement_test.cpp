#include "library/placement.h"

#include "testing/ScratchDir.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace testing_support;

// Both ways of replacing end alike or keep the earlier copy; a new copy never lands on another.
TEST(Placement, ReplacesWholeOrNotAtAll) {
    for (auto swap : {swapWithEarlier, swapByRenames}) {
        ScratchDir dir;
        dir.writeFile("library/Echo/old", "");
        dir.writeFile("staging/Echo/new", "");
        const std::string placed = dir.path("library/Echo"), staged = dir.path("staging/Echo");
        EXPECT_EQ(swap(staged, placed), 0);
        EXPECT_EQ(entriesOf(staged), std::vector<std::string>{"old"});
        EXPECT_EQ(swap(dir.path("staging/missing"), placed), ENOENT);
        EXPECT_EQ(entriesOf(dir.path("staging")), std::vector<std::string>{"Echo"});
        dir.makeDir("staging/Other");
        EXPECT_EQ(placeNew(dir.path("staging/Other"), placed), EEXIST);
        EXPECT_EQ(entriesOf(placed), std::vector<std::string>{"new"});
    }
}
