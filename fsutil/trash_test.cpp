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
#include <functional>

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

// A scratch folder whose data/ holds the home trash (XDG_DATA_HOME).
struct ScratchHome {
    ScratchDir scratch;
    std::string trash = scratch.path("data/Trash");
    ScratchHome() { setenv("XDG_DATA_HOME", scratch.path("data").c_str(), 1); }
};

std::string infoFor(const std::string& encodedPath, const std::string& date) {
    return "[Trash Info]\nPath=" + encodedPath + "\nDeletionDate=" + date +
           "\nX-Veltrano-Importer=1\n";
}

// True when `info` is the info file of `encodedPath` trashed between the two times.
bool isInfoOf(const std::string& info, const std::string& encodedPath, std::time_t from,
              std::time_t to) {
    char date[32];
    for (std::time_t at = from; at <= to; ++at)
        if (std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", std::localtime(&at)) &&
            info == infoFor(encodedPath, date))
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
    EXPECT_TRUE(isSymlink(second.item.trashedPath));
    EXPECT_EQ(entriesOf(home.scratch.path("two")), Names{});
    EXPECT_TRUE(
        isInfoOf(readFile(first.item.infoPath), home.scratch.path("one/Echo"), before, after));
    EXPECT_TRUE(isInfoOf(readFile(second.item.infoPath),
                         "/Sounds/Tape%20Echo%20100%25/%C3%A9~-._AZaz09", before, after));

    // Undone only into a free place, or by swapping with what stands there.
    TrashedItem item = first.item;
    const std::string place = home.scratch.path("one/Echo");
    home.scratch.writeFile("one/Echo/main.pd", "new");
    EXPECT_EQ(restoreFromTrash(item), EEXIST);
    EXPECT_EQ(readFile(place + "/main.pd"), "new");
    EXPECT_EQ(readFile(item.trashedPath + "/main.pd"), "one");
    const std::time_t swapped = std::time(nullptr);
    EXPECT_EQ(exchangeWithTrashed(item), 0);
    EXPECT_EQ(readFile(place + "/main.pd"), "one");
    EXPECT_EQ(readFile(item.trashedPath + "/main.pd"), "new");
    EXPECT_EQ(entriesOf(home.trash + "/info"), (Names{"Echo.3.trashinfo", "Echo.trashinfo"}));
    EXPECT_TRUE(isInfoOf(readFile(item.infoPath), place, swapped, std::time(nullptr)));
    // The entry holds the newer copy now, no longer the item trashed; the item handed back
    // describes it, and swaps the two back.
    EXPECT_EQ(restoreFromTrash(first.item), ESTALE);
    EXPECT_EQ(exchangeWithTrashed(item), 0);
    EXPECT_EQ(readFile(place + "/main.pd") + readFile(item.trashedPath + "/main.pd"), "newone");

    // With the newer copy gone, undoing a replace puts the earlier one back.
    std::filesystem::remove_all(place);
    home.scratch.writeFile("one/Echo/main.pd", "again");
    TrashResult again = moveToTrash(place);
    ASSERT_TRUE(again) << again.error;
    EXPECT_EQ(exchangeWithTrashed(again.item), 0);
    EXPECT_EQ(readFile(place + "/main.pd"), "again");
    EXPECT_FALSE(pathExists(again.item.infoPath));

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
        std::string trash;  // where the item goes: in vol/ (the mount) or the home trash
    } const cases[] = {
        {"no trash yet", "", 0, 0, false, asRoot, 0, "vol/.Trash-0"},
        {"sticky .Trash", ".Trash", 01777, 0, false, asRoot, 0, "vol/.Trash/0"},
        {".Trash not sticky", ".Trash", 0777, 0, false, asRoot, 0, "vol/.Trash-0"},
        {".Trash a link", ".Trash", 01777, 0, true, asRoot, 0, "vol/.Trash-0"},
        {".Trash-0 a link", ".Trash-0", 0700, 0, true, asRoot, 0, "data/Trash"},
        {".Trash-0 not mine", ".Trash-0", 0700, 65534, false, asRoot, 0, "data/Trash"},
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
                const std::string told = trashFolderFor(s.path("mnt/box"));
                TrashResult result = moveToTrash(s.path("mnt/box/Echo"));
                if (result.error) return result.error;
                const std::string trash =
                    c.trash.starts_with("vol/") ? "mnt/" + c.trash.substr(4) : c.trash;
                // The trash told beforehand, unless it turned out unusable.
                if (c.trash.starts_with("vol/") && told != s.path(trash)) return 98;
                return result.item.trashedPath == s.path(trash + "/files/Echo") ? 0 : 99;
            };
            return c.run == unprivileged ? runUnprivileged(trashIt) : trashIt();
        });
        if (outcome == kChildSetupFailed) GTEST_SKIP() << "private mounts need root";
        EXPECT_EQ(outcome, c.error);
        const std::string where = c.trash.empty() ? "vol/box" : c.trash + "/files";
        EXPECT_EQ(readFile(s.path(where + "/Echo/main.pd")), "x");
        EXPECT_EQ(pathExists(s.path(c.trash + "/info/Echo.trashinfo")), !c.trash.empty());
        EXPECT_EQ(entriesOf(s.path("vol/elsewhere")), Names{});
    }
}

TEST(UndoFromTrash, RefusesWhatTheTrashNoLongerHoldsAndChangesNothing) {
    struct Case {
        const char* name;
        std::function<void(const ScratchHome&, const TrashedItem&)> change;
    } const cases[] = {
        {"item gone",
         [](const ScratchHome&, const TrashedItem& item) {
             std::filesystem::remove_all(item.trashedPath);
         }},
        {"trash emptied, another item trashed under its name and origin",
         [](const ScratchHome& home, const TrashedItem& item) {
             const std::string other = home.scratch.writeFile("other/Echo/main.pd", "other");
             std::filesystem::remove_all(item.trashedPath);
             std::filesystem::remove(item.infoPath);
             moveToTrash(home.scratch.path("other/Echo"), item.originalPath);
         }},
        {"info file of another date",
         [](const ScratchHome&, const TrashedItem& item) {
             writeFile(item.infoPath, infoFor(item.originalPath, "2001-02-03T04:05:06"));
         }},
        {"info file gone", [](const ScratchHome&,
                              const TrashedItem& item) { std::filesystem::remove(item.infoPath); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchHome home;
        home.scratch.writeFile("lib/Echo/main.pd", "trashed");
        TrashResult trashed = moveToTrash(home.scratch.path("lib/Echo"));
        ASSERT_TRUE(trashed) << trashed.error;
        c.change(home, trashed.item);
        home.scratch.writeFile("lib/Echo/main.pd", "newer");
        const Tree before = treeOf(home.scratch.root());
        EXPECT_EQ(restoreFromTrash(trashed.item), ESTALE);
        EXPECT_EQ(exchangeWithTrashed(trashed.item), ESTALE);
        std::filesystem::remove_all(home.scratch.path("lib/Echo"));
        EXPECT_EQ(restoreFromTrash(trashed.item), ESTALE);
        EXPECT_EQ(exchangeWithTrashed(trashed.item), ESTALE);
        home.scratch.writeFile("lib/Echo/main.pd", "newer");
        EXPECT_EQ(treeOf(home.scratch.root()), before);
    }
}

TEST(MoveToTrash, CopiesIntoTheHomeTrashWhenTheItemsMountHasNone) {
    struct Case {
        const char* name;
        std::string dataHome;  // the home trash's XDG_DATA_HOME
        int homeTrashError;
    } const cases[] = {
        {"home trash on another file system", "data", 0},
        {"home trash full", "full/data", ENOSPC},
        {"home trash under a file", "plain/data", ENOTDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir s;
        s.writeFile("plain", "");
        const std::string vol = s.makeDir("vol"), full = s.makeDir("full");
        const std::string trash = s.path(c.dataHome + "/Trash");
        expectPassesInPrivateMounts([&] {
            if (mount("tmpfs", vol.c_str(), "tmpfs", 0, "size=8m") != 0 ||
                mount("tmpfs", full.c_str(), "tmpfs", 0, "size=256k") != 0)
                return kChildSetupFailed;
            setenv("XDG_DATA_HOME", s.path(c.dataHome).c_str(), 1);
            s.writeFile("full/filler", std::string(192 * 1024, 'f'));
            s.writeFile("vol/.Trash-0", "");  // no trash folder can be made there
            s.writeFile("vol/Echo/main.pd", "x");
            s.writeFile("vol/Echo/sub/big.wav", std::string(128 * 1024, 'w'));
            s.makeSymlink("vol/Echo/sub/main.pd", "../main.pd");
            chmod(s.writeFile("vol/Solo.pd", "solo").c_str(), 0640);
            s.makeSymlink("vol/Ln", "/");
            const Tree before = treeOf(vol);
            if (c.homeTrashError) {
                const TrashResult result = moveToTrash(s.path("vol/Echo"));
                EXPECT_TRUE(result.error == EXDEV && result.homeTrashError == c.homeTrashError);
                EXPECT_EQ(treeOf(vol), before);
                EXPECT_TRUE(entriesOf(trash + "/files").empty() &&
                            entriesOf(trash + "/info").empty());
                return 0;
            }
            for (const std::string name : {"Echo", "Solo.pd", "Ln"}) {
                const TrashResult result = moveToTrash(s.path("vol/" + name));
                EXPECT_TRUE(result && result.item.trashedPath == trash + "/files/" + name) << name;
                EXPECT_FALSE(pathExists(s.path("vol/" + name)));
                EXPECT_EQ(readFile(result.item.infoPath),
                          infoFor(s.path("vol/" + name), result.item.deletionDate));
            }
            struct stat solo;
            EXPECT_TRUE(lstat((trash + "/files/Solo.pd").c_str(), &solo) == 0 &&
                        (solo.st_mode & 07777) == 0640);
            EXPECT_EQ(treeOf(vol), (Tree{{".Trash-0", ""}}));
            EXPECT_EQ(treeOf(trash + "/files"),
                      (Tree{{"Echo", "<dir>"},
                            {"Echo/main.pd", "x"},
                            {"Echo/sub", "<dir>"},
                            {"Echo/sub/big.wav", before.at("Echo/sub/big.wav")},
                            {"Echo/sub/main.pd", "-> ../main.pd"},
                            {"Ln", "-> /"},
                            {"Solo.pd", "solo"}}));
            return 0;
        });
    }
}

TEST(MoveToTrash, CutsLongNamesBetweenCharactersAndClearsOnlyItsOwnLeftovers) {
    ScratchHome home;
    home.scratch.writeFile("data/Trash/files/.copying.1.Half/Half.pd", "half");
    home.scratch.writeFile("data/Trash/files/.kept", "another program's");
    home.scratch.writeFile("data/Trash/info/Gone.trashinfo",
                           infoFor("/x/Gone", "2001-02-03T04:05:06"));
    home.scratch.writeFile("data/Trash/info/Foreign.trashinfo",
                           "[Trash Info]\nPath=/x/Foreign\nDeletionDate=2001-02-03T04:05:06\n");
    std::string umlauts;
    for (int i = 0; i < 127; ++i) umlauts += "\xC3\x9C";
    const auto cutTo = [&](int characters) { return umlauts.substr(0, 2 * characters); };
    const TrashResult first = moveToTrash(home.scratch.writeFile("one/" + umlauts, "1"));
    const TrashResult second = moveToTrash(home.scratch.writeFile("two/" + umlauts, "2"));
    ASSERT_TRUE(first && second) << first.error << " " << second.error;
    EXPECT_EQ(entriesOf(home.trash + "/files"), (Names{".kept", cutTo(121) + ".2", cutTo(122)}));
    EXPECT_EQ(entriesOf(home.trash + "/info"),
              (Names{"Foreign.trashinfo", cutTo(121) + ".2.trashinfo", cutTo(122) + ".trashinfo"}));
}
