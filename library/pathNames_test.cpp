#include "library/VQAUUtils.h"

#include <gtest/gtest.h>

// The three name rules differ only for a path that ends in "/".
TEST(PathNames, DifferOnlyForATrailingSlash) {
    const std::string odd = "a \"b\" $HOME `x` \\n\nline \xC3\xA9\xFF";
    const struct {
        std::string path, patchName, fileName, dirName;
    } cases[] = {
        {"/Library/Audio/Sounds/Veltrano/Effects/Echo", "Echo", "Echo", "Echo"},
        {"/tmp/in/Echo/", "Echo/", "", "Echo"},
        {"Echo", "Echo", "Echo", "Echo"},
        {"Echo/", "Echo/", "", "Echo"},
        {"/tmp/in/Echo//", "/", "", ""},
        {"/", "", "", ""},
        {"", "", "", ""},
        {"//", "/", "", ""},
        {"/Echo/", "Echo/", "", "Echo"},
        {"../x/./", "./", "", "."},
        {"/in/" + odd + "/", odd + "/", "", odd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("path: [" + c.path + "]");
        EXPECT_EQ(patchNameFromPath(c.path), c.patchName);
        EXPECT_EQ(getFileName(c.path), c.fileName);
        EXPECT_EQ(getDirName(c.path), c.dirName);
    }
}
