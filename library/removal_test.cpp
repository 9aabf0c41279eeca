#include "library/removal.h"

#include "library/VQAUUtils.h"
#include "library/installation.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {
InstallReport install(const std::string& item) {
    std::vector<std::string> items{item};
    InstallReport report;
    captureStdout([&] { report = installItems(items); });
    return report;
}
}  // namespace

// A replaced copy waits in the trash, recorded where it stood, and comes back on request.
TEST(Removal, ReplacedPatchesComeBackFromTheTrash) {
    ScratchLibrary library;
    ScratchDir in;
    const std::string patch = kEffects + "/Echo", main = patch + "/Echo.pd";
    in.writeFile("first/Echo/Echo.pd", "first");
    in.writeFile("second/Echo/Echo.pd", "second");
    EXPECT_TRUE(install(in.path("first/Echo")).replaced.empty());
    const InstallReport replacing = install(in.path("second/Echo"));
    ASSERT_EQ(replacing.replaced.size(), 1u);
    const TrashedItem earlier = replacing.replaced[0].trashed;
    EXPECT_EQ(replacing.replaced[0].path, patch);
    EXPECT_EQ(readFile(earlier.trashedPath + "/Echo.pd"), "first");
    EXPECT_NE(readFile(earlier.infoPath).find("\nPath=" + patch + "\n"), std::string::npos);
    EXPECT_EQ(swapBackReplacedCopy(earlier), 0);
    EXPECT_EQ(readFile(main), "first");
    EXPECT_EQ(readFile(earlier.trashedPath + "/Echo.pd"), "second");
    const InstallReport fileReplacing = install(in.writeFile("Echo.pd", "single"));
    ASSERT_EQ(fileReplacing.replaced.size(), 1u);
    EXPECT_EQ(fileReplacing.replaced[0].path, main);
    EXPECT_EQ(readFile(fileReplacing.replaced[0].trashed.trashedPath), "first");
    EXPECT_EQ(readFile(main), "single");
}
