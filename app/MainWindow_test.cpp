#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QProgressBar>
#include <QUrl>
#include <filesystem>
#include <map>

#include "app/ControllerTableView.h"
#include "app/LibraryQueue.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/openMainWindow.h"
#include "library/VQAUUtils.h"
#include "testing/GatedCopy.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace fs = std::filesystem;
using testing_support::kEffect;
using testing_support::kInstrument;

namespace {

// An effect patch folder whose one parameter is named after the patch.
void addEffect(const std::string& name) {
    const std::string folder = std::string(EFFECTS_DIR) + "/" + name;
    fs::create_directories(folder);
    testing_support::writeFile(folder + "/" + name + ".pd",
                               "#X text 1 2 param " + name + "_level float 0 1 0.5;\n");
}

// Every file and folder of the library and of the trash's files, with the
// files' contents.
std::map<std::string, std::string> libraryAndTrash() {
    std::map<std::string, std::string> tree;
    for (const std::string& root : {std::string(BASE_DIR),
                                    testing_support::ScratchLibrary::dataHome() + "/Trash/files"}) {
        std::error_code missing;
        for (const auto& entry : fs::recursive_directory_iterator(root, missing))
            tree[entry.path()] =
                entry.is_regular_file() ? testing_support::readFile(entry.path()) : "<dir>";
    }
    return tree;
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { QApplication::setActiveWindow(window.get()); }

    template <typename T>
    T& child(const char* name) {
        T* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    ControllerTableView& patches() { return child<ControllerTableView>("patches"); }
    ControllerTableView& parameterTable() { return child<ControllerTableView>("parameterTable"); }

    static QString cell(const QTableView& table, int row, int column) {
        return table.model()->index(row, column).data().toString();
    }
    // The names the list shows, in its order.
    QStringList shownNames() {
        QStringList names;
        for (int row = 0; row < patches().model()->rowCount(); ++row)
            names << cell(patches(), row, 0);
        return names;
    }
    QString loadedParameter() {
        return parameterTable().model()->rowCount() ? cell(parameterTable(), 0, 0) : QString();
    }
    // Lets the library worker finish what it was asked to do.
    void settle() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->libraryQueue().busy(); }, 60000));
    }
    void clickRow(int row) {
        const QRect cellRect = patches().visualRect(patches().model()->index(row, 0));
        QTest::mouseClick(patches().viewport(), Qt::LeftButton, Qt::NoModifier, cellRect.center());
    }

    // A drag of file URLs that enters the patches table, moves and drops at
    // `position`: the action the table answered the drop with, or
    // IgnoreAction when it refused it. What the install printed goes to `out`.
    Qt::DropAction dropUrls(const QList<QUrl>& urls, QPoint position,
                            Qt::DropActions actions = Qt::CopyAction,
                            Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMimeData mimeData;
        mimeData.setUrls(urls);
        QDragEnterEvent enter(position, actions, &mimeData, Qt::LeftButton, modifiers);
        QDragMoveEvent move(position, actions, &mimeData, Qt::LeftButton, modifiers);
        QDropEvent drop(position, actions, &mimeData, Qt::LeftButton, modifiers);
        testing_support::captureStderr([&] {
            out = testing_support::captureStdout([&] {
                for (QEvent* event : std::initializer_list<QEvent*>{&enter, &move, &drop})
                    QApplication::sendEvent(patches().viewport(), event);
                settle();
            });
        });
        EXPECT_EQ(move.isAccepted(), enter.isAccepted());
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    std::string out;
    QPoint belowTheRows() { return QPoint(20, patches().viewport()->height() - 10); }
    static QUrl urlOf(const std::string& path) {
        return QUrl::fromLocalFile(QString::fromStdString(path));
    }

    testing_support::ScratchLibrary library;
    testing_support::ScratchDir source;
    VQ_ImporterAppDelegate controller;
    std::unique_ptr<MainWindow> window = openMainWindow(controller);
};

TEST_F(MainWindowTest, StartsOnTheEffectsAndSaysHowToFillAnEmptyList) {
    EXPECT_TRUE(child<QPushButton>("effectsSegment").isChecked());
    EXPECT_EQ(parameterTable().model()->rowCount(), 0);
    EXPECT_EQ(child<QLabel>("countLabel").text(), "0 effects");
    EXPECT_EQ(patches().placeholderText(),
              "No effects installed yet. Drop Pd patches here or choose Add…");
}

// A source may delete its originals after a drop answered as a move. The
// URLs arrive percent-encoded ("Grüße%20Echo"); the intake decodes them.
TEST_F(MainWindowTest, DropsAreCopiesAndAMoveOnlyDragIsRefused) {
    addEffect("Drone");
    controller.reloadPatches(EFFECTS_DIR);
    const QPoint onRow = patches().visualRect(patches().model()->index(0, 0)).center();
    const std::string echo = source.writeFile("Grüße Echo.pd", kEffect);
    EXPECT_EQ(dropUrls({urlOf(echo)}, onRow, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_FALSE(fs::exists(std::string(EFFECTS_DIR) + "/Grüße Echo"));

    // Shift proposes a move when the source allows one.
    EXPECT_EQ(dropUrls({urlOf(echo)}, onRow, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
              Qt::CopyAction);
    EXPECT_EQ(shownNames(), (QStringList{"Drone", "Grüße Echo"}));
    EXPECT_EQ(window->findChild<QMessageBox*>(), nullptr);
}

TEST_F(MainWindowTest, ABadDropOpensAWindowModalAlertWithoutBlocking) {
    const std::string folder = source.makeDir("Loops");
    EXPECT_EQ(dropUrls({urlOf(folder)}, belowTheRows()), Qt::CopyAction);
    EXPECT_TRUE(out.ends_with("\ninvalid files\n")) << out;

    auto* alert = window->findChild<QMessageBox*>();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    EXPECT_EQ(alert->text(), "The file or folder was invalid");
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().front()->text(), "OK");

    QTest::mouseClick(alert->buttons().front(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChild<QMessageBox*>(), nullptr);
}

// Open… installs what the dialog picked the way a drop does: as a file URL,
// decoded once, so a name holding "%41" is not read as "A".
TEST_F(MainWindowTest, FilesChosenInTheDialogAreInstalledUnderTheirOwnNames) {
    const std::string odd = source.writeFile("a%41.pd", kEffect);
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    auto* dialog = window->findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(odd));
    testing_support::captureStdout([&] {
        testing_support::captureStderr([&] { static_cast<QDialog*>(dialog)->accept(); });
        settle();
    });
    EXPECT_TRUE(fs::is_regular_file(std::string(EFFECTS_DIR) + "/a%41/a%41.pd"));
    EXPECT_EQ(shownNames(), QStringList{"a%41"});
}

TEST_F(MainWindowTest, SelectingAPatchFillsTheParametersTable) {
    const std::string folder = std::string(INSTRUMENTS_DIR) + "/Bass";
    fs::create_directories(folder);
    testing_support::writeFile(folder + "/Bass.pd",
                               "#X obj 1 1 notein;\n"
                               "#X text 12 40 param cutoff slider 20 800 440 Hz;\n"
                               "#X text 12 60 param gain float 0 1 0.5;\n");
    fs::create_directories(std::string(INSTRUMENTS_DIR) + "/Lead");
    testing_support::writeFile(std::string(INSTRUMENTS_DIR) + "/Lead/Lead.pd",
                               "#X text 12 40 param detune int -12 12 0;\n");
    QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_TRUE(child<QPushButton>("instrumentsSegment").isChecked());
    EXPECT_EQ(shownNames(), (QStringList{"Bass", "Lead"}));

    clickRow(0);
    ControllerTableView& parameters = parameterTable();
    ASSERT_EQ(parameters.model()->rowCount(), 2);
    EXPECT_EQ(cell(parameters, 0, 0), "cutoff");
    EXPECT_EQ(cell(parameters, 0, 1), "440.00");
    EXPECT_EQ(cell(parameters, 1, 3), "1.00");

    // The arrow keys move the selection, and the parameters follow it.
    QTest::keyClick(&patches(), Qt::Key_Down);
    EXPECT_EQ(cell(patches(), patches().currentIndex().row(), 0), "Lead");
    EXPECT_EQ(loadedParameter(), "detune");
}

// The search keeps the names that hold its text whatever their case and
// accents; picking, showing and deleting act on the patch of the row shown.
TEST_F(MainWindowTest, SearchShowsMatchingPatchesAndActionsActOnTheShownOne) {
    for (const char* name : {"Drone", "Echo", "Grain", "TapeÉcho", "Echo 2"}) addEffect(name);
    controller.reloadPatches(EFFECTS_DIR);
    QAbstractItemModelTester tester(patches().model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    clickRow(static_cast<int>(shownNames().indexOf("Drone")));
    EXPECT_EQ(loadedParameter(), "Drone_level");

    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    QLineEdit& search = child<QLineEdit>("searchField");
    EXPECT_TRUE(search.hasFocus());
    QTest::keyClicks(&search, "ECHO");
    EXPECT_EQ(shownNames(), (QStringList{"Echo", "Echo 2", "TapeÉcho"}));
    EXPECT_EQ(child<QLabel>("countLabel").text(), "3 of 5 effects");
    // Drone is hidden: nothing is selected, and no parameters are shown.
    EXPECT_EQ(patches().selectedRow(), -1);
    EXPECT_EQ(loadedParameter(), "");

    clickRow(2);
    EXPECT_EQ(loadedParameter(), "TapeÉcho_level");
    QTest::keyClick(&patches(), Qt::Key_Delete);
    settle();
    EXPECT_FALSE(fs::exists(std::string(EFFECTS_DIR) + "/TapeÉcho"));
    EXPECT_EQ(shownNames(), (QStringList{"Echo", "Echo 2"}));
    clickRow(1);
    QTest::keyClick(&patches(), Qt::Key_Backspace);
    settle();
    EXPECT_FALSE(fs::exists(std::string(EFFECTS_DIR) + "/Echo 2"));
    // The line under the list offers Undo, and so does Ctrl+Z.
    EXPECT_EQ(child<QLabel>("noticeText").text(), "Deleted “Echo 2”");
    QTest::mouseClick(&child<QPushButton>("noticeAction"), Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(fs::exists(std::string(EFFECTS_DIR) + "/Echo 2/Echo 2.pd"));
    EXPECT_TRUE(fs::exists(std::string(EFFECTS_DIR) + "/TapeÉcho/TapeÉcho.pd"));
    EXPECT_FALSE(child<QWidget>("noticeBar").isVisible());

    search.setFocus();
    QTest::keyClicks(&search, "x");
    EXPECT_EQ(patches().placeholderText(), "No effects match “ECHOx”.");
    QTest::keyClick(&search, Qt::Key_Escape);
    EXPECT_EQ(search.text(), "");
    EXPECT_EQ(shownNames(), (QStringList{"Drone", "Echo", "Echo 2", "Grain", "TapeÉcho"}));
    EXPECT_EQ(child<QLabel>("countLabel").text(), "5 effects");
}

TEST_F(MainWindowTest, PatchFoldersMadeOnDiskAppearWithoutAnyCall) {
    const auto shows = [&](const QString& name) {
        return QTest::qWaitFor([&] { return shownNames().contains(name); }, 5000);
    };
    addEffect("Made Outside");
    EXPECT_TRUE(shows("Made Outside"));
    // A type folder removed and made again is watched again.
    fs::remove_all(EFFECTS_DIR);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownNames().isEmpty(); }, 5000));
    addEffect("Back");
    EXPECT_TRUE(shows("Back"));
}

TEST_F(MainWindowTest, HelpOpensANonModalPanel) {
    QTest::keyClick(window.get(), Qt::Key_F1);
    HelpPanel& help = window->helpPanel();
    EXPECT_TRUE(help.isVisible());
    EXPECT_FALSE(help.isModal());
    const QString text = help.findChild<QTextBrowser*>("helpText")->toPlainText();
    for (const QString& needed : {QString::fromUtf8(BASE_DIR), QString("notein"), QString("Ctrl+F"),
                                  QString("#X text 12 40 param cutoff slider 20 800 440 Hz;")})
        EXPECT_TRUE(text.contains(needed)) << needed.toStdString();
}

TEST_F(MainWindowTest, RemembersItsSizeAndPlace) {
    window->resize(700, 450);
    window->close();
    window.reset();
    window = openMainWindow(controller);
    EXPECT_EQ(window->size(), QSize(700, 450));
}

}  // namespace

// Installing through the worker prints the same lines and leaves the same
// library and trash as installing on the spot.
TEST_F(MainWindowTest, RequestsThroughTheWorkerEndAsTheSameRequestsRunOnTheSpot) {
    const std::string echo = source.makeDir("Echo");
    source.writeFile("Echo/Echo.pd", kEffect + "#X obj 1 1 newer;\n");
    const std::string bass = source.writeFile("Bass.pd", kInstrument);
    const std::string loops = source.makeDir("Loops");
    const std::string missing = source.path("missing");
    const std::vector<std::vector<std::string>> requests = {
        {echo, bass, missing}, {loops, missing}, {"file://" + bass, echo + "/", bass}};
    for (const std::vector<std::string>& request : requests) {
        SCOPED_TRACE(request.front());
        std::string out[2];
        std::map<std::string, std::string> tree[2];
        for (const bool threaded : {false, true}) {
            testing_support::ScratchLibrary fresh;
            addEffect("Echo");
            controller.setLibraryWorker(threaded ? &window->libraryQueue() : nullptr);
            out[threaded] = testing_support::captureStdout([&] {
                testing_support::captureStderr([&] {
                    controller.applicationOpenFiles(request);
                    settle();
                });
            });
            tree[threaded] = libraryAndTrash();
        }
        EXPECT_NE(out[0].find("file:: "), std::string::npos);
        EXPECT_EQ(out[1], out[0]);
        EXPECT_EQ(tree[1], tree[0]);
    }
}

// Cancel, or quitting during an install, stops it while an item is copied:
// that item leaves the earlier copy as it was, the items installed before it
// stay, the later ones are not started. A request waiting behind it runs
// after a cancel, and is dropped when the window quits.
TEST_F(MainWindowTest, AStoppedInstallLeavesTheLibraryAsBeforeButForWhatItInstalled) {
    struct Case {
        const char* what;
        QStringList request;
        bool quit;
        QString notice;
    };
    QString first, gated, last;
    for (auto [name, path] : {std::pair{"First", &first}, {"Gated", &gated}, {"Last", &last}}) {
        *path = QString::fromStdString(source.makeDir(name));
        source.writeFile(name + std::string("/") + name + ".pd", kEffect);
    }
    const QString queued = QString::fromStdString(source.writeFile("Queued.pd", kEffect));
    const std::vector<Case> cases = {
        {"cancelled at the first item", {gated, last}, false, "2 of 2 items were not installed"},
        {"cancelled at the second item", {first, gated, last}, false,
         "2 of 3 items were not installed"},
        {"quit at the second item", {first, gated, last}, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::ScratchLibrary fresh;
        testing_support::ScratchDir scratch;
        testing_support::GatedCopy cp(scratch);
        addEffect("Gated");
        const std::map<std::string, std::string> before = libraryAndTrash();
        const std::string out = testing_support::captureStdout([&] {
            testing_support::captureStderr([&] {
                window->installPaths(c.request);
                window->installPaths({queued});
                ASSERT_TRUE(QTest::qWaitFor([&] { return cp.holdsGated(); }, 60000));
                ASSERT_TRUE(QTest::qWaitFor(
                    [&] { return child<QWidget>("progressPane").isVisible(); }, 60000));
                EXPECT_TRUE(child<QLabel>("progressText").text().startsWith("Installing “Gated”"));
                EXPECT_EQ(child<QLabel>("waitingLabel").text(), "1 more waiting");
                if (c.quit) {
                    window->close();
                    auto* question = window->findChild<QMessageBox*>();
                    ASSERT_NE(question, nullptr);
                    QTest::mouseClick(question->buttons().front(), Qt::LeftButton);
                    EXPECT_FALSE(window->isVisible());
                } else {
                    QTest::mouseClick(&child<QPushButton>("cancelButton"), Qt::LeftButton);
                    settle();
                    EXPECT_EQ(child<QLabel>("noticeText").text(), c.notice);
                }
            });
        });
        EXPECT_NE(out.find("\ncancelled\n"), std::string::npos) << out;
        std::map<std::string, std::string> after = libraryAndTrash();
        const std::string effects = std::string(EFFECTS_DIR) + "/";
        EXPECT_EQ(after.contains(effects + "Queued/Queued.pd"), !c.quit);
        EXPECT_EQ(after.contains(effects + "First/First.pd"), c.request.front() == first);
        std::erase_if(after, [&](const auto& entry) {
            return entry.first.starts_with(effects + "Queued") ||
                   entry.first.starts_with(effects + "First");
        });
        EXPECT_EQ(after, before);
        if (c.quit) window = openMainWindow(controller);
    }
}
