#include "fsutil/ofxFileUtils.h"

#include "testing/ChildProcess.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st;
    lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Builds `depth` nested folders named `name` below `top` through descriptors,
// so the tree may go deeper than any path can name.
void makeDeepTree(const std::string& top, const std::string& name, int depth) {
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
        int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = child;
    }
    close(openat(fd, "leaf", O_WRONLY | O_CREAT, 0644));
    close(fd);
}

}  // namespace

TEST(FileName, IgnoresOneTrailingSlash) {
    EXPECT_EQ(ofxFileName("/Library/Audio/Sounds/Veltrano/Effects/Echo/"), "Echo");
    EXPECT_EQ(ofxFileName("/Library/Audio/Sounds/Veltrano/Effects/Echo"), "Echo");
    EXPECT_EQ(ofxFileName("Echo"), "Echo");
    EXPECT_EQ(ofxFileName("/"), "");
    EXPECT_EQ(ofxFileName("/tmp/Echo//"), "");
    EXPECT_EQ(ofxFileName(""), "");
    std::string caller = "/a/b/";
    ofxFileName(caller);
    EXPECT_EQ(caller, "/a/b/");
}

TEST(CreateDirectory, CreatesOneLevelOnly) {
    ScratchDir scratch;
    std::string existing = scratch.makeDir("existing");
    scratch.writeFile("existing/keep", "x");
    EXPECT_FALSE(ofxCreateDirectory(existing));
    EXPECT_EQ(readFile(existing + "/keep"), "x");

    EXPECT_FALSE(ofxCreateDirectory(scratch.path("missing/child")));
    EXPECT_FALSE(pathExists(scratch.path("missing")));

    EXPECT_TRUE(ofxCreateDirectory(scratch.path("new")));
    EXPECT_TRUE(isDirectory(scratch.path("new")));
}

TEST(FileTests, FollowLinksAndReportMissingPaths) {
    ScratchDir scratch;
    std::string folder = scratch.makeDir("folder");
    std::string file = scratch.writeFile("file", "x");
    std::string linkToFolder = scratch.makeSymlink("link", folder);
    std::string dangling = scratch.makeSymlink("dangling", scratch.path("nowhere"));

    bool result = true;
    EXPECT_EQ(captureStdout([&] { result = ofxIsDirectory(scratch.path("missing")); }),
              "File not found\n");
    EXPECT_FALSE(result);
    EXPECT_EQ(captureStdout([&] { result = ofxIsDirectory(dangling); }), "File not found\n");
    EXPECT_FALSE(result);
    EXPECT_EQ(captureStdout([&] { result = ofxIsDirectory(file); }), "");
    EXPECT_FALSE(result);
    EXPECT_EQ(captureStdout([&] { result = ofxIsDirectory(linkToFolder); }), "");
    EXPECT_TRUE(result);

    EXPECT_EQ(captureStdout([&] { result = ofxFileExists(scratch.path("missing")); }), "");
    EXPECT_FALSE(result);
    EXPECT_FALSE(ofxFileExists(dangling));
    EXPECT_TRUE(ofxFileExists(folder));
    EXPECT_TRUE(ofxFileExists(linkToFolder));
}

TEST(EmptyDir, RemovesTreeButNeverFollowsLinks) {
    ScratchDir scratch;
    std::string outside = scratch.makeDir("outside");
    scratch.writeFile("outside/precious", "keep me");
    std::string top = scratch.makeDir("top");
    scratch.writeFile("top/a.pd", "a");
    scratch.writeFile("top/sub/deeper/b.wav", "b");
    scratch.makeDir("top/sub/empty");
    scratch.makeSymlink("top/sub/link", outside);
    scratch.makeSymlink("top/dangling", scratch.path("nowhere"));
    scratch.writeFile("top/name with \"quotes\" $HOME `x` \\ and\nnewline \xc3\xa9", "odd");

    EXPECT_EQ(captureStdout([&] { ofxEmptyDir(top); }), "");
    EXPECT_TRUE(isDirectory(top));
    EXPECT_TRUE(entriesOf(top).empty());
    EXPECT_EQ(readFile(outside + "/precious"), "keep me");

    EXPECT_EQ(captureStdout([&] { ofxEmptyDir(scratch.path("missing")); }), "");
}

TEST(DeleteDir, RemovesTreeAndReportsTheTopResult) {
    ScratchDir scratch;
    std::string top = scratch.makeDir("top");
    scratch.writeFile("top/sub/file", "x");
    int result = 1;
    EXPECT_EQ(captureStdout([&] { result = ofxDeleteDir(top); }), "");
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(pathExists(top));

    EXPECT_EQ(captureStdout([&] { result = ofxDeleteDir(scratch.path("missing")); }), "");
    EXPECT_EQ(result, -1);

    std::string plain = scratch.writeFile("plain", "data");
    EXPECT_EQ(ofxDeleteDir(plain), -1);
    EXPECT_EQ(readFile(plain), "data");
}

TEST(DeleteDir, OnALinkRemovesOnlyTheLink) {
    ScratchDir scratch;
    std::string outside = scratch.makeDir("outside");
    scratch.writeFile("outside/precious", "keep me");
    std::string link = scratch.makeSymlink("link", outside);
    EXPECT_EQ(ofxDeleteDir(link), 0);
    EXPECT_FALSE(pathExists(link));
    EXPECT_EQ(readFile(outside + "/precious"), "keep me");

    // Emptying through the link is what the caller asked for, though.
    scratch.makeSymlink("link2", outside);
    ofxEmptyDir(scratch.path("link2"));
    EXPECT_TRUE(entriesOf(outside).empty());
}

TEST(DeleteDir, KeepsWhatCannotBeRemovedAndTheFoldersAboveIt) {
    ScratchDir scratch;
    std::string top = scratch.makeDir("top");
    scratch.writeFile("top/a/locked/stuck", "x");
    scratch.writeFile("top/a/gone", "x");
    scratch.writeFile("top/b/gone", "x");
    scratch.writeFile("top/gone", "x");
    // Everything belongs to the unprivileged user except "locked", whose
    // entries it therefore cannot remove.
    for (const char* path : {"top", "top/a", "top/a/gone", "top/b", "top/b/gone", "top/gone"})
        ASSERT_EQ(chown(scratch.path(path).c_str(), 65534, 65534), 0);

    int result = runUnprivileged([&] { return ofxDeleteDir(top) == -1 ? 0 : 1; });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(entriesOf(top), std::vector<std::string>{"a"});
    EXPECT_EQ(entriesOf(top + "/a"), std::vector<std::string>{"locked"});
    EXPECT_EQ(readFile(top + "/a/locked/stuck"), "x");
}

TEST(DeleteDir, HasNoPathLengthOrDepthLimit) {
    ScratchDir scratch;
    std::string top = scratch.makeDir("top");
    // An entry whose joined path is far longer than 511 characters...
    std::string longName(250, 'n');
    std::string longPath = scratch.makeDir("top/" + longName + "/" + longName);
    scratch.writeFile("top/" + longName + "/" + longName + "/" + longName, "x");
    ASSERT_GT(longPath.size(), 511u);
    // ...and a tree deeper than an absolute path can name.
    makeDeepTree(top, "deep-folder", 600);

    EXPECT_EQ(ofxDeleteDir(top), 0);
    EXPECT_FALSE(pathExists(top));
}

TEST(CopyFile, CopiesBytesExactlyAndReplacesTheDestination) {
    ScratchDir scratch;
    std::string content;
    for (unsigned i = 0; i < 3u * 1024 * 1024; ++i) content += static_cast<char>((i * 7919u) >> 3);
    std::string source = scratch.writeFile("source", content);
    chmod(source.c_str(), 0600);
    std::string destination = scratch.writeFile("destination", "old content that is longer");

    mode_t oldMask = umask(022);
    bool copied = false;
    EXPECT_EQ(captureStdout([&] { copied = ofxCopyFile(source, destination); }), "");
    umask(oldMask);
    EXPECT_TRUE(copied);
    EXPECT_EQ(readFile(destination), content);
    EXPECT_EQ(modeOf(destination), 0644u);  // a new file's permissions, not the source's

    std::string empty = scratch.writeFile("empty", "");
    EXPECT_TRUE(ofxCopyFile(empty, destination));
    EXPECT_EQ(readFile(destination), "");
    EXPECT_EQ(entriesOf(scratch.root()),
              (std::vector<std::string>{"destination", "empty", "source"}));
}

TEST(CopyFile, ReportsOpenFailuresAndLeavesTheDestinationAlone) {
    ScratchDir scratch;
    std::string destination = scratch.writeFile("destination", "keep");
    std::string missing = scratch.path("missing source");
    bool copied = true;
    EXPECT_EQ(captureStdout([&] { copied = ofxCopyFile(missing, destination); }),
              missing + ": No such file or directory\n");
    EXPECT_FALSE(copied);
    EXPECT_EQ(readFile(destination), "keep");
    EXPECT_FALSE(pathExists(scratch.path("new")));
    EXPECT_EQ(captureStdout([&] { ofxCopyFile(missing, scratch.path("new")); }),
              missing + ": No such file or directory\n");
    EXPECT_FALSE(pathExists(scratch.path("new")));

    std::string source = scratch.writeFile("source", "x");
    std::string intoMissingFolder = scratch.path("no/such/folder/file");
    EXPECT_EQ(captureStdout([&] { copied = ofxCopyFile(source, intoMissingFolder); }),
              intoMissingFolder + ": No such file or directory\n");
    EXPECT_FALSE(copied);

    // The line tells the error that happened, not always a missing file.
    std::string secret = scratch.writeFile("secret", "x");
    chmod(secret.c_str(), 0600);
    std::string denied = captureStdout([&] {
        runUnprivileged([&] { return ofxCopyFile(secret, scratch.path("copy")) ? 1 : 0; });
    });
    EXPECT_EQ(denied, secret + ": Permission denied\n");
}

TEST(CopyFile, ReportsReadAndWriteErrorsWithoutPartialFiles) {
    ScratchDir scratch;
    std::string source = scratch.writeFile("source", std::string(1 << 20, 's'));
    std::string destination = scratch.writeFile("destination", "earlier");

    std::string output = captureStdout([&] {
        int status = runWithFileSizeLimit(64 * 1024,
                                          [&] { return ofxCopyFile(source, destination) ? 1 : 0; });
        EXPECT_EQ(status, 0);
    });
    EXPECT_EQ(output, destination + ": File too large\n");
    EXPECT_EQ(readFile(destination), "earlier");
    EXPECT_EQ(entriesOf(scratch.root()), (std::vector<std::string>{"destination", "source"}));

    std::string folder = scratch.makeDir("folder");
    bool copied = true;
    EXPECT_EQ(captureStdout([&] { copied = ofxCopyFile(folder, destination); }),
              folder + ": Is a directory\n");
    EXPECT_FALSE(copied);
    EXPECT_EQ(readFile(destination), "earlier");
}

TEST(CopyFile, ReplacesALinkInsteadOfWritingThroughIt) {
    ScratchDir scratch;
    std::string target = scratch.writeFile("outside", "outside content");
    std::string link = scratch.makeSymlink("link", target);
    std::string source = scratch.writeFile("source", "new");
    EXPECT_TRUE(ofxCopyFile(source, link));
    EXPECT_FALSE(isSymlink(link));
    EXPECT_EQ(readFile(link), "new");
    EXPECT_EQ(readFile(target), "outside content");
}

TEST(CopyFile, OntoItselfKeepsTheContent) {
    ScratchDir scratch;
    std::string file = scratch.writeFile("Bass.pd", "#N canvas;\nnotein\n");
    std::string link = scratch.makeSymlink("alias.pd", file);
    EXPECT_TRUE(ofxCopyFile(file, file));
    EXPECT_TRUE(ofxCopyFile(file, link));
    EXPECT_EQ(readFile(file), "#N canvas;\nnotein\n");
    EXPECT_TRUE(isSymlink(link));
}

TEST(DeleteFile, ReturnsThePosixResult) {
    ScratchDir scratch;
    std::string file = scratch.writeFile("file", "x");
    EXPECT_EQ(ofxDeleteFile(file), 0);
    EXPECT_FALSE(pathExists(file));
    EXPECT_EQ(ofxDeleteFile(file), -1);
}
