#include "fsutil/ofxFileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <filesystem>
#include "testing/ChildProcess.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

using namespace testing_support;

// Every byte (3 MiB: several kernel copies), a new file's mode; a link replaced; self-copy whole.
TEST(CopyFile, CopiesBytesExactlyAndReplacesTheDestination) {
    ScratchDir scratch;
    std::string content;
    for (unsigned i = 0; i < 3u * 1024 * 1024; ++i) content += static_cast<char>((i * 7919u) >> 3);
    const std::string source = scratch.writeFile("source", content);
    chmod(source.c_str(), 0600);
    const std::string outside = scratch.writeFile("outside", "outside");
    const std::string destination = scratch.makeSymlink("destination", outside);
    const mode_t oldMask = umask(022);
    EXPECT_EQ(captureStdout([&] { EXPECT_TRUE(ofxCopyFile(source, destination)); }), "");
    umask(oldMask);
    EXPECT_EQ(readFile(destination), content);
    EXPECT_EQ(readFile(outside), "outside");  // so the link was replaced by a file
    EXPECT_EQ(std::filesystem::symlink_status(destination).permissions(),
              std::filesystem::perms{0644});
    // A file the kernel will not copy for us (procfs) is read and written.
    EXPECT_TRUE(ofxCopyFile("/proc/version", destination));
    EXPECT_EQ(readFile(destination), readFile("/proc/version"));
    EXPECT_TRUE(ofxCopyFile(scratch.writeFile("empty", ""), destination));
    EXPECT_EQ(readFile(destination), "");
    const std::string alias = scratch.makeSymlink("alias", destination);
    EXPECT_TRUE(ofxCopyFile(outside, outside));
    EXPECT_TRUE(ofxCopyFile(destination, alias));
    EXPECT_EQ(readFile(outside), "outside");
    EXPECT_TRUE(isSymlink(alias));
    EXPECT_EQ(entriesOf(scratch.root()),
              (std::vector<std::string>{"alias", "destination", "empty", "outside", "source"}));
}

// One line names the file and the error; the destination stays, no temporary beside it.
TEST(CopyFile, ReportsOpenFailuresAndLeavesTheDestinationAlone) {
    ScratchDir scratch;
    const std::string destination = scratch.writeFile("destination", "earlier");
    const std::string source = scratch.writeFile("source", std::string(1 << 20, 's'));
    const std::string missing = scratch.path("missing"), folder = scratch.makeDir("folder");
    const std::string intoMissingFolder = scratch.path("no/such/file");
    const std::pair<std::string, std::string> failures[] = {{missing, destination},
                                                            {missing, scratch.path("new")},
                                                            {folder, destination},
                                                            {source, intoMissingFolder}};
    for (const auto& [from, to] : failures) {
        SCOPED_TRACE(from + " to " + to);
        EXPECT_EQ(captureStdout([&] { EXPECT_FALSE(ofxCopyFile(from, to)); }),
                  from == source   ? to + ": No such file or directory\n"
                  : from == folder ? from + ": Is a directory\n"
                                   : from + ": No such file or directory\n");
    }
    chmod(source.c_str(), 0600);
    EXPECT_EQ(captureStdout([&] {
                  runUnprivileged([&] { return ofxCopyFile(source, scratch.path("copy")); });
              }),
              source + ": Permission denied\n");
    EXPECT_EQ(captureStdout([&] {
                  EXPECT_EQ(runWithFileSizeLimit(64 * 1024,
                                                 [&] { return ofxCopyFile(source, destination); }),
                            0);
              }),
              destination + ": File too large\n");
    EXPECT_EQ(readFile(destination), "earlier");
    EXPECT_EQ(entriesOf(scratch.root()),
              (std::vector<std::string>{"destination", "folder", "source"}));
}
