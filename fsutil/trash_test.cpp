#include "fsutil/trash.h"

#include "testing/ChildProcess.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

// A scratch folder whose data/ holds the home trash (XDG_DATA_HOME).
struct ScratchHome {
    ScratchDir scratch;
    std::string trash = scratch.path("data/Trash");
    ScratchHome() { setenv("XDG_DATA_HOME", scratch.path("data").c_str(), 1); }
};

// True when `info` is the info file of `encodedPath` trashed between the two times.
bool isInfoOf(const std::string& info, const std::string& encodedPath, std::time_t from,
              std::time_t to) {
    char date[32];
    for (std::time_t at = from; at <= to; ++at)
        if (std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", std::localtime(&at)) &&
            info == "[Trash Info]\nPath=" + encodedPath + "\nDeletionDate=" + date + "\n")
            return true;
    return false;
}

}  // namespace

TEST(MoveToTrash, TakesAFreeNameWritesTheInfoAndMovesALinkAsALink) {
    ScratchHome home;
    home.scratch.writeFile("one/Echo/main.pd", "one");
    home.scratch.makeSymlink("two/Echo", home.scratch.path("one"));
    home.scratch.writeFile("data/Trash/files/Echo.2", "");  // its info file is lost
    const std::string recorded = "/Sounds/Tape Echo 100%/\xC3\xA9~-._AZaz09";
    const std::time_t before = std::time(nullptr);
    const TrashResult first = moveToTrash(home.scratch.path("one/Echo/"));
    const TrashResult second = moveToTrash(home.scratch.path("two/Echo"), recorded);
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(first && second) << first.error << " " << second.error;
    EXPECT_EQ(second.item.originalPath, recorded);
    EXPECT_EQ(readFile(first.item.trashedPath + "/main.pd"), "one");
    EXPECT_TRUE(isSymlink(second.item.trashedPath));
    EXPECT_EQ(entriesOf(home.scratch.path("two")), Names{});
    EXPECT_TRUE(
        isInfoOf(readFile(first.item.infoPath), home.scratch.path("one/Echo"), before, after));
    EXPECT_TRUE(isInfoOf(readFile(second.item.infoPath),
                         "/Sounds/Tape%20Echo%20100%25/%C3%A9~-._AZaz09", before, after));

    // Undone only into a free place, or by swapping with what stands there.
    const TrashedItem& item = first.item;
    const std::string place = home.scratch.path("one/Echo"), info = readFile(item.infoPath);
    const std::string backdated =
        info.substr(0, info.find("DeletionDate=")) + "DeletionDate=2001-02-03T04:05:06\n";
    writeFile(item.infoPath, backdated);
    home.scratch.writeFile("one/Echo/main.pd", "new");
    EXPECT_EQ(restoreFromTrash(item), EEXIST);
    EXPECT_EQ(readFile(place + "/main.pd"), "new");
    EXPECT_EQ(readFile(item.trashedPath + "/main.pd"), "one");
    EXPECT_EQ(readFile(item.infoPath), backdated);
    const std::time_t swapped = std::time(nullptr);
    EXPECT_EQ(exchangeWithTrashed(item), 0);
    EXPECT_EQ(readFile(place + "/main.pd"), "one");
    EXPECT_EQ(readFile(item.trashedPath + "/main.pd"), "new");
    EXPECT_EQ(entriesOf(home.trash + "/info"), (Names{"Echo.3.trashinfo", "Echo.trashinfo"}));
    EXPECT_TRUE(isInfoOf(readFile(item.infoPath), place, swapped, std::time(nullptr)));
    std::filesystem::remove_all(place);
    EXPECT_EQ(restoreFromTrash(item), 0);
    EXPECT_EQ(readFile(place + "/main.pd"), "new");
    EXPECT_EQ(entriesOf(home.trash + "/files"), (Names{"Echo.2", "Echo.3"}));
    EXPECT_EQ(entriesOf(home.trash + "/info"), Names{"Echo.3.trashinfo"});

    // Without XDG_DATA_HOME the home trash is the one under $HOME/.local/share.
    const std::string userHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", (home.scratch.root() + "/").c_str(), 1);
    const TrashResult third = moveToTrash(home.scratch.writeFile("three/Echo", "three"));
    setenv("HOME", userHome.c_str(), 1);
    EXPECT_EQ(third.item.trashedPath, home.scratch.path(".local/share/Trash/files/Echo"));
}

TEST(MoveToTrash, UsesTheTrashOfTheItemsMountWhenTheHomeTrashIsElsewhere) {
    enum Run { asRoot, readOnly, unprivileged };
    struct Case {
        const char* name;
        std::string folder;  // made at the mount's top, or beside it and linked there
        mode_t mode;
        uid_t owner;
        bool linked;
        Run run;
        int error;
        std::string trash;  // where the item goes, under the mount's top
    } const cases[] = {
        {"no trash yet", "", 0, 0, false, asRoot, 0, ".Trash-0"},
        {"sticky .Trash", ".Trash", 01777, 0, false, asRoot, 0, ".Trash/0"},
        {".Trash not sticky", ".Trash", 0777, 0, false, asRoot, 0, ".Trash-0"},
        {".Trash a link", ".Trash", 01777, 0, true, asRoot, 0, ".Trash-0"},
        {".Trash-0 a link", ".Trash-0", 0700, 0, true, asRoot, EXDEV, ""},
        {".Trash-0 not mine", ".Trash-0", 0700, 65534, false, asRoot, EXDEV, ""},
        {"read-only mount", "", 0, 0, false, readOnly, EROFS, ""},
        {"top not writable", "", 0, 0, false, unprivileged, EACCES, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchHome home;
        const ScratchDir& s = home.scratch;
        s.writeFile("vol/box/Echo/main.pd", "x");
        if (!c.folder.empty()) {
            std::string made = s.makeDir(c.linked ? "vol/elsewhere" : "vol/" + c.folder);
            chmod(made.c_str(), c.mode);
            chown(made.c_str(), c.owner, c.owner);
            if (c.linked) s.makeSymlink("vol/" + c.folder, "elsewhere");
        }
        // mnt/ is vol/ mounted again: a rename between two mounts fails alike.
        const std::string mountPoint = s.makeDir("mnt");
        int outcome = runInPrivateMounts([&] {
            if (mount(s.path("vol").c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
                (c.run == readOnly && mount(nullptr, mountPoint.c_str(), nullptr,
                                            MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0))
                return kChildSetupFailed;
            const auto trashIt = [&] {
                TrashResult result = moveToTrash(s.path("mnt/box/Echo"));
                if (result.error) return result.error;
                return result.item.trashedPath == s.path("mnt/" + c.trash + "/files/Echo") ? 0 : 99;
            };
            return c.run == unprivileged ? runUnprivileged(trashIt) : trashIt();
        });
        if (outcome == kChildSetupFailed) GTEST_SKIP() << "private mounts need root";
        EXPECT_EQ(outcome, c.error);
        const std::string where = c.trash.empty() ? "vol/box" : "vol/" + c.trash + "/files";
        EXPECT_EQ(readFile(s.path(where + "/Echo/main.pd")), "x");
        EXPECT_EQ(pathExists(s.path("vol/" + c.trash + "/info/Echo.trashinfo")), !c.trash.empty());
        EXPECT_EQ(entriesOf(s.path("vol/elsewhere")), Names{});
    }
}
