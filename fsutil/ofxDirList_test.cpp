#include "fsutil/ofxDirList.h"

#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <algorithm>

using namespace testing_support;

TEST(DirList, KeepsTheVisibleEntriesThatPassTheExtensionFilter) {
    ScratchDir scratch;
    const std::string dir = scratch.makeDir("x");
    for (const char* name : {"Echo.pd", "Drone.PD", "notes.txt", "pd", ".DS_Store"})
        scratch.writeFile(std::string("x/") + name, "");
    scratch.makeDir("x/Sub");
    const std::vector<std::string> all = {"Drone.PD", "Echo.pd", "Sub", "notes.txt", "pd"};
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{}, all},
        {{"*"}, all},
        {{".pd"}, {}},
        {{""}, {}},
        {{"PD"}, {"Drone.PD", "Echo.pd"}},
        {{"pd"}, {"Drone.PD", "Echo.pd"}},
        {{"txt", "pd"}, {"Drone.PD", "Echo.pd", "notes.txt"}}};
    for (const auto& [filter, kept] : cases) {
        SCOPED_TRACE(filter.empty() ? "no filter" : filter.front());
        ofxDirList list;
        for (const std::string& ext : filter) EXPECT_TRUE(list.allowExt(ext));
        // The lister keeps the system's order; the names are compared sorted.
        const int count = list.listDir(dir + "/");
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(list.getPath(i), dir + "/" + list.getName(i));
            names.push_back(list.getName(i));
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, kept);
        EXPECT_EQ(list.getName(count) + list.getPath(-1) + list.getPath(count), "");
    }
    ofxDirList list;
    list.allowExt("txt");
    ASSERT_EQ(list.listDir(dir + "//"), 1);
    EXPECT_EQ(list.getPath(0), dir + "//notes.txt");
    list.reset();
    EXPECT_EQ(list.listDir(dir), 5);
    EXPECT_EQ(list.listDir(""), 0);
    EXPECT_EQ(list.getName(0), "");
}
