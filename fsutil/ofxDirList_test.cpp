#include "fsutil/ofxDirList.h"

#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <algorithm>

using namespace testing_support;

namespace {

class DirListTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = scratch.makeDir("x");
        for (const char* name : {"Echo.pd", "Drone.PD", "notes.txt", "pd", ".DS_Store"})
            scratch.writeFile(std::string("x/") + name, "");
        scratch.makeDir("x/Sub");
    }

    // The kept names, sorted: the lister itself keeps the system's order.
    std::vector<std::string> names(ofxDirList& list, int count) {
        std::vector<std::string> result;
        for (int i = 0; i < count; ++i) result.push_back(list.getName(i));
        std::sort(result.begin(), result.end());
        return result;
    }

    ScratchDir scratch;
    std::string dir;
};

}  // namespace

TEST_F(DirListTest, WithoutFilterKeepsEveryVisibleEntry) {
    ofxDirList list;
    int count = list.listDir(dir);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(names(list, count),
              (std::vector<std::string>{"Drone.PD", "Echo.pd", "Sub", "notes.txt", "pd"}));
    for (int i = 0; i < count; ++i) EXPECT_EQ(list.getPath(i), dir + "/" + list.getName(i));
}

TEST_F(DirListTest, ExtensionFilterRules) {
    struct Case {
        std::vector<std::string> filter;
        std::vector<std::string> kept;
    };
    const std::vector<Case> cases = {
        {{"PD"}, {"Drone.PD", "Echo.pd"}},
        {{"pd"}, {"Drone.PD", "Echo.pd"}},
        {{"*"}, {"Drone.PD", "Echo.pd", "Sub", "notes.txt", "pd"}},
        {{".pd"}, {}},
        {{""}, {}},
        {{"txt", "pd"}, {"Drone.PD", "Echo.pd", "notes.txt"}},
    };
    for (const Case& c : cases) {
        ofxDirList list;
        for (const std::string& ext : c.filter) EXPECT_TRUE(list.allowExt(ext));
        int count = list.listDir(dir);
        EXPECT_EQ(names(list, count), c.kept) << "filter " << c.filter.front();
    }

    ofxDirList list;
    list.allowExt("pd");
    list.reset();
    EXPECT_EQ(list.listDir(dir), 5);
}

TEST_F(DirListTest, JoinsPathsWithExactlyTheSlashesGiven) {
    ofxDirList list;
    list.allowExt("txt");
    ASSERT_EQ(list.listDir(dir), 1);
    EXPECT_EQ(list.getPath(0), dir + "/notes.txt");
    ASSERT_EQ(list.listDir(dir + "/"), 1);
    EXPECT_EQ(list.getPath(0), dir + "/notes.txt");
    ASSERT_EQ(list.listDir(dir + "//"), 1);
    EXPECT_EQ(list.getPath(0), dir + "//notes.txt");
}

TEST_F(DirListTest, FailuresGiveEmptyResults) {
    ofxDirList list;
    int count = -1;
    EXPECT_EQ(captureStdout([&] { count = list.listDir(""); }), "");
    EXPECT_EQ(count, 0);

    ASSERT_EQ(list.listDir(dir), 5);
    EXPECT_EQ(captureStdout([&] { count = list.listDir(scratch.path("missing")); }),
              "ofxDirList - error opening directory");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list.getName(0), "");
    EXPECT_EQ(list.getPath(0), "");

    count = list.listDir(dir);
    EXPECT_EQ(list.getPath(count), "");
    EXPECT_EQ(list.getPath(-1), "");
    EXPECT_EQ(list.getName(count), "");
}
