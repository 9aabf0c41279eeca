#include "library/VQAUUtils.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    std::string path, patchName, fileName, dirName;
};

void expectNames(const NameCase& c) {
    SCOPED_TRACE("path: [" + c.path + "]");
    EXPECT_EQ(patchNameFromPath(c.path), c.patchName);
    EXPECT_EQ(getFileName(c.path), c.fileName);
    EXPECT_EQ(getDirName(c.path), c.dirName);
}

TEST(PathNames, DifferOnlyForATrailingSlash) {
    const NameCase cases[] = {
        {"/Library/Audio/Sounds/Veltrano/Effects/Echo", "Echo", "Echo", "Echo"},
        {"/tmp/in/Echo/", "Echo/", "", "Echo"},
        {"/tmp/in/Echo/Echo.pd", "Echo.pd", "Echo.pd", "Echo.pd"},
        {"/Echo", "Echo", "Echo", "Echo"},
        {"Echo", "Echo", "Echo", "Echo"},
        {"Echo/", "Echo/", "", "Echo"},
        {"/tmp/in/Echo//", "/", "", ""},
        {"/", "", "", ""},
        {"", "", "", ""},
        {"//", "/", "", ""},
        {"/Echo/", "Echo/", "", "Echo"},
        {"../x/./", "./", "", "."},
    };
    for (const NameCase& c : cases) expectNames(c);
}

TEST(PathNames, TakeAnyBytesAsText) {
    const std::string odd = "a \"b\" $HOME `x` \\n\nline \xC3\xA9\xFF";
    expectNames({"/in/" + odd, odd, odd, odd});
    expectNames({"/in/" + odd + "/", odd + "/", "", odd});
    const std::string longName(100000, 'x');
    expectNames({"/deep/" + longName + "/", longName + "/", "", longName});
}

}  // namespace
