#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <regex>

#include "app/VQ_ImporterAppDelegate.h"
#include "testing/FakeViews.h"
#include "testing/OutputCapture.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

using Request = std::function<void(FakeWindowViews&)>;

Request dropped(const FakeDraggingInfo& info, bool accepted = true) {
    return [=](FakeWindowViews& views) {
        EXPECT_EQ(views.controller.tableViewAcceptDropRowDropOperation(&views.patches, info, -1,
                                                                       views::DropOperation::on),
                  accepted);
    };
}

// A drop of items that each offer a path, as the window hands a file manager's drag over.
Request droppedPaths(const std::vector<std::string>& paths) {
    std::vector<FakeDraggingInfo::Item> items;
    for (const std::string& path : paths) items.push_back({{views::kFilenamesPboardType}, path});
    return dropped(FakeDraggingInfo(items));
}

Request opened(const std::vector<std::string>& names) {
    return
        [=](FakeWindowViews& views) { EXPECT_TRUE(views.controller.applicationOpenFiles(names)); };
}

// The texts of the lines the request logged, without "<date> <time> <program>[<pid>:<tid>] ";
// it prints "invalid files" exactly when it alerts.
std::vector<std::string> logged(const Request& request, FakeWindowViews& views) {
    std::string out;
    const std::string err = captureStderr([&] { out = captureStdout([&] { request(views); }); });
    EXPECT_EQ(out.ends_with("\ninvalid files\n"), !views.sheets.empty()) << out;
    static const std::regex line(
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \w+\[\d+:\d+\] ([^\n]*))");
    std::vector<std::string> texts;
    for (std::sregex_iterator match(err.begin(), err.end(), line), end; match != end; ++match)
        texts.push_back((*match)[1]);
    return texts;
}

// A drop logs each item's index, then its path; an open request each path. Paths are taken as
// they are ("%41" is no escape); one with a NUL byte names no file. Both show the type installed
// last and say what they installed, or alert when none of the paths they name was installed.
TEST(IntakeTest, DropsAndOpenRequestsLogEachItemAndShowWhatTheyInstalled) {
    using namespace std::string_literals;
    ScratchDir source;
    const std::string e = source.writeFile("Echo.pd", kEffect),
                      b = source.writeFile("Bass.pd", kInstrument);
    const std::string percent = source.writeFile("B%41.pd", kInstrument);
    const std::string nul = source.path("x\0y"s);
    const std::string loops = source.makeDir("Loops"), empty = source.makeDir("Empty");
    source.writeFile("Loops/loop.pd", kEffect);
    const FakeDraggingInfo::Item twoTypes({"text/plain", views::kFilenamesPboardType}, e);
    struct Case {
        const char* what;
        Request request;
        std::vector<std::string> log, shown;
        std::string said = "";  // the message of the one alert it shows, else the notice
    };
    const std::string bInstalled = "Installed “B%41” (instruments)", two = "Installed 2 patches";
    const std::vector<Case> cases = {
        {"an effect, then an instrument", droppedPaths({e, b}), {"0", e, "1", b}, {"Bass"}, two},
        {"an instrument, then an effect", droppedPaths({b, e}), {"0", b, "1", e}, {"Echo"}, two},
        {"a \"%\", a NUL byte", droppedPaths({nul, percent}), {"0", nul, "1", percent}, {"B%41"},
         bInstalled},
        {"the first type counts", dropped(FakeDraggingInfo({twoTypes})), {"0", e}, {"Echo"},
         "Installed “Echo” (effects)"},
        {"items without a type", dropped(FakeDraggingInfo({{}, {}})), {"0", "1"}, {}},
        {"no patch", opened({loops, empty}), {loops, empty}, {}, "The file or folder was invalid"},
        {"no items", droppedPaths({}), {}, {}},
        {"no item list", dropped(FakeDraggingInfo(), false), {}, {}},
        {"an open request", opened({percent}), {percent}, {"B%41"}, bInstalled},
        {"an open request of a NUL byte", opened({nul}), {nul}, {}},
        {"an empty open request", opened({}), {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchLibrary library;
        FakeWindowViews views;
        EXPECT_EQ(logged(c.request, views), c.log);
        EXPECT_EQ(views.names(), c.shown);
        EXPECT_LE(views.sheets.size(), 1u);
        EXPECT_EQ(views.sheets.empty() ? views.notice : views.sheets[0].messageText, c.said);
    }
}

// Runs each request at once and keeps the question an install may ask from its thread.
struct InlineWorker : workers::LibraryWorker {
    void install(workers::LibraryInstall install, workers::ReplaceQuestion question) override {
        ask = std::move(question);
        install(nullptr)();
    }
    void write(workers::LibraryWrite write, std::string) override { write()(); }
    void exportArchive(workers::LibraryExport work) override { work(nullptr)(); }
    workers::ReplaceQuestion ask;
};

// Before an earlier copy that no trash takes is deleted for good, the window asks, naming the
// patch and why in words (never the system's message); keeping it is the first, safe answer.
TEST(IntakeTest, AReplaceWithoutTrashAsksInWordsAndKeepsByDefault) {
    ScratchLibrary library;
    ScratchDir source;
    FakeWindowViews views;
    InlineWorker worker;
    views.controller.setLibraryWorker(&worker);
    views.controller.applicationOpenFiles({source.writeFile("Rev.pd", kEffect)});
    ASSERT_TRUE(worker.ask);
    const std::string noTrash = "There is no trash on the disk that holds the library";
    struct Case {
        int error, homeTrashError;
        std::string why, button;
    };
    const std::vector<Case> cases = {
        {EXDEV, ENOSPC, noTrash + ", and the home trash has no room.", "Keep Earlier Copy"},
        {EXDEV, EACCES, noTrash + ", and the home trash can't be written to.", "Replace"},
        {EXDEV, EIO, noTrash + ", and it could not be copied into the home trash.", "Replace"},
        {EXDEV, 0, noTrash + ".", "Replace"},
        {EACCES, 0, "The trash on the disk that holds the library can't take it.", "Replace"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::optional<bool> replace;
        worker.ask("Rev", {c.error, c.homeTrashError, {}}, [&](bool answer) { replace = answer; });
        const views::Alert& alert = views.sheets.back();
        EXPECT_EQ(alert.messageText, "Replace “Rev” permanently?");
        EXPECT_EQ(alert.informativeText,
                  c.why + " The earlier copy can't be brought back once replaced.");
        EXPECT_EQ(alert.buttonTitles, (std::vector<std::string>{"Keep Earlier Copy", "Replace"}));
        EXPECT_EQ(alert.safeButton, 0u);
        views.press(c.button);
        EXPECT_EQ(replace, c.button == "Replace");
    }
}

}  // namespace

namespace {
// Holds each install until told to end it, as one in the background would.
struct HeldWorker : workers::LibraryWorker {
    void install(workers::LibraryInstall install, workers::ReplaceQuestion) override {
        held.push_back(std::move(install));
    }
    void write(workers::LibraryWrite write, std::string) override { write()(); }
    void exportArchive(workers::LibraryExport work) override { work(nullptr)(); }
    void finish(std::size_t index) {
        captureStdout([&] { held.at(index)(nullptr)(); });
    }
    std::vector<workers::LibraryInstall> held;
};

// An install shows its type and reveals its patch there, never selecting it, unless the user
// switched the type or searched since asking: then the view stays and Show reveals it. A failure's
// notice stays until it is read or dismissed; what came meanwhile shows then. The alert says why
// nothing was installed, and in the words of how it was asked.
TEST(IntakeTest, AnInstallRevealsItsPatchUnlessTheUserMovedOnMeanwhile) {
    ScratchDir source;
    const std::string bass = source.writeFile("Bass.pd", kInstrument);
    const std::string empty = source.makeDir("Empty"), gone = source.path("Gone.pd");
    struct Case {
        const char* what;
        std::function<void(FakeWindowViews&)> meanwhile;
        int segment;
        std::vector<int> revealed;
        int selected;
    };
    const std::vector<Case> cases = {
        {"nothing", [](auto&) {}, 1, {0}, -1},
        {"a search", [](auto& views) { views.controller.searchChanged(); }, 0, {}, 0},
        {"a switch of type",
         [](auto& views) {
             views.segment = 1;
             views.controller.typeChanged();
         },
         1, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchLibrary library;
        addPatch("Drone");
        FakeWindowViews views;
        HeldWorker worker;
        views.controller.setLibraryWorker(&worker);
        views.select("Drone");
        captureStderr([&] { views.controller.applicationOpenFiles({empty, bass}); });
        c.meanwhile(views);
        worker.finish(0);
        EXPECT_EQ(views.segment, c.segment);
        EXPECT_EQ(views.patches.revealed, c.revealed);
        EXPECT_EQ(views.patches.selected, c.selected);
        EXPECT_EQ(views.notice, "1 of 2 items was not installed");
        views.noticeAction();
        EXPECT_EQ(views.listed, (std::vector<std::pair<std::string, std::string>>{
                                    {empty, "not a patch folder: no “Empty.pd” inside"}}));
        EXPECT_EQ(views.notice, "Installed “Bass” (instruments)");
        views.noticeAction();
        EXPECT_EQ(views.segment, 1);
        EXPECT_EQ(views.patches.revealed, std::vector<int>{0});
    }
    ScratchLibrary library;
    FakeWindowViews views;
    captureStderr([&] { views.controller.openChosenFiles({gone}); });
    ASSERT_EQ(views.sheets.size(), 1u);
    EXPECT_EQ(views.sheets[0].informativeText,
              "Maybe you chose a file with no dac~ or a folder that doesn't contain a patch of the "
              "same name!");
    EXPECT_EQ(views.sheets[0].detailedText, gone + ": not found");
}
}  // namespace
