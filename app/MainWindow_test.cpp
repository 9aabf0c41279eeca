#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAbstractProxyModel>
#include <QAccessible>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTranslator>
#include <QUrl>
#include <filesystem>
#include <future>
#include <set>

#include "app/ControllerTableView.h"
#include "app/LibraryQueue.h"
#include "app/PatchCheckQueue.h"
#include "app/PatchListQueue.h"
#include "app/PatchReadQueue.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/appTranslations.h"
#include "app/openMainWindow.h"
#include "testing/FakeViews.h"
#include "testing/GatedCopy.h"
#include "testing/OutputCapture.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// The library and the trash, by paths from the folder that holds both.
const std::string kAbove = fs::path(ScratchLibrary::dataHome()).parent_path();
const std::string kEffectsKey = fs::relative(kEffects, kAbove);
// How long a wait for what must come may take: a sanitizer's build on a busy
// machine is many times slower, and a passing wait returns at once.
constexpr int kPatienceMs = 60000;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        settle();
        QApplication::setActiveWindow(window.get());
        // Qt's own checks of every model behind both tables, after every change.
        for (QTableView* table : {&patches(), &parameterTable()})
            for (QAbstractItemModel* model = table->model(); model;) {
                new QAbstractItemModelTester(
                    model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
                auto* proxy = qobject_cast<QAbstractProxyModel*>(model);
                model = proxy ? proxy->sourceModel() : nullptr;
            }
    }

    template <typename T>
    T& child(const char* name) {
        T* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    ControllerTableView& patches() { return child<ControllerTableView>("patches"); }
    ControllerTableView& parameterTable() { return child<ControllerTableView>("parameterTable"); }
    QString text(const char* label) { return child<QLabel>(label).text(); }

    static QString cell(const QTableView& table, int row, int role = Qt::DisplayRole) {
        return table.model()->index(row, 0).data(role).toString();
    }
    QStringList shownNames() {
        QStringList names;
        for (int row = 0; row < patches().model()->rowCount(); ++row) names << cell(patches(), row);
        return names;
    }
    bool showsInTime(const QStringList& names) {
        return QTest::qWaitFor([&] { return shownNames() == names; }, kPatienceMs);
    }
    // The first parameter shown once the reads asked for are done.
    QString loadedParameter() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->patchReader().reading(); }, kPatienceMs));
        return cell(parameterTable(), 0);
    }
    // Once the library's writes are done and the list they changed is shown, checked.
    void settle() {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return !window->libraryQueue().busy() && !window->patchLister().listing() &&
                       !window->patchChecker().checking();
            },
            kPatienceMs));
    }
    void reload() {
        controller.reloadPatches(EFFECTS_DIR);
        settle();
    }
    void clickRow(int row) {
        const QRect cellRect = patches().visualRect(patches().model()->index(row, 0));
        QTest::mouseClick(patches().viewport(), Qt::LeftButton, Qt::NoModifier, cellRect.center());
    }

    // Drags the file's URL into the patches table to `position`: the drop's action, or Ignore.
    Qt::DropAction dropFile(const std::string& path, QPoint position, Qt::DropActions actions,
                            Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMimeData mimeData;
        mimeData.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(position, actions, &mimeData, Qt::LeftButton, modifiers);
        QDragMoveEvent move(position, actions, &mimeData, Qt::LeftButton, modifiers);
        QDropEvent drop(position, actions, &mimeData, Qt::LeftButton, modifiers);
        quietly([&] {
            for (QEvent* event : std::initializer_list<QEvent*>{&enter, &move, &drop})
                QApplication::sendEvent(patches().viewport(), event);
            settle();
        });
        EXPECT_EQ(move.isAccepted(), enter.isAccepted());
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    void quietly(const std::function<void()>& action) {
        out = captureStdout([&] { captureStderr(action); });
    }

    std::string out;
    ScratchLibrary library;
    ScratchDir source;
    VQ_ImporterAppDelegate controller;
    std::unique_ptr<MainWindow> window = openMainWindow(controller);
};

// A source may delete its originals after a drop answered as a move. Drops
// and Open… hand over local paths: the "%41" of a name stays itself.
TEST_F(MainWindowTest, DropsAreCopiesAndAMoveOnlyDragIsRefused) {
    addPatch("Drone");
    reload();
    const QPoint onRow = patches().visualRect(patches().model()->index(0, 0)).center();
    const std::string echo = source.writeFile("Grüße Echo.pd", kEffect);
    EXPECT_EQ(dropFile(echo, onRow, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_FALSE(fs::exists(kEffects + "/Grüße Echo"));

    // Shift proposes a move when the source allows one.
    EXPECT_EQ(dropFile(echo, onRow, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
              Qt::CopyAction);
    EXPECT_EQ(shownNames(), (QStringList{"Drone", "Grüße Echo"}));

    // A drop below the rows counts too.
    const QPoint belowTheRows(20, patches().viewport()->height() - 10);
    const std::string pad = source.writeFile("Pad%41.pd", kEffect);
    EXPECT_EQ(dropFile(pad, belowTheRows, Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(shownNames(), (QStringList{"Drone", "Grüße Echo", "Pad%41"}));

    const std::string odd = source.writeFile("a%41.pd", kEffect);
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    auto* dialog = window->findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(odd));
    quietly([&] {
        static_cast<QDialog*>(dialog)->accept();
        settle();
    });
    EXPECT_EQ(shownNames(), (QStringList{"a%41", "Drone", "Grüße Echo", "Pad%41"}));
}

// Patch folders made on disk appear by themselves. The search ignores case and accents; picking,
// showing and deleting act on the patch of the row shown, by mouse and by key.
TEST_F(MainWindowTest, SearchShowsMatchingPatchesAndActionsActOnTheShownOne) {
    EXPECT_EQ(patches().placeholderText(),
              "No effects installed yet. Drop Pd patches here or choose Add…");
    for (const char* name : {"Drone", "Echo", "Grain", "TapeÉcho", "Echo 2"}) addPatch(name);
    ASSERT_TRUE(showsInTime({"Drone", "Echo", "Echo 2", "Grain", "TapeÉcho"}));
    // The placeholder is drawn only while no row is shown.
    const QImage listed = patches().viewport()->grab().toImage();
    patches().setPlaceholderText("Never drawn over rows");
    EXPECT_EQ(patches().viewport()->grab().toImage(), listed);
    clickRow(static_cast<int>(shownNames().indexOf("Drone")));
    EXPECT_EQ(loadedParameter(), "Drone_level");
    // A reload keeps the patch highlighted, not only its parameters shown.
    reload();
    EXPECT_EQ(cell(patches(), patches().selectionModel()->selectedRows().value(0).row()), "Drone");
    // Every column has its title; numbers show right-aligned.
    const QAbstractItemModel& parameters = *parameterTable().model();
    const auto title = [&](int column) { return parameters.headerData(column, Qt::Horizontal); };
    EXPECT_EQ(title(0).toString() + title(4).toString() + parameters.index(0, 4).data().toString(),
              "NameMax1.00");
    EXPECT_EQ(parameters.index(0, 4).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);

    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    QLineEdit& search = child<QLineEdit>("searchField");
    EXPECT_TRUE(search.hasFocus());
    QTest::keyClicks(&search, "ECHO");
    EXPECT_EQ(shownNames(), (QStringList{"Echo", "Echo 2", "TapeÉcho"}));
    EXPECT_EQ(text("countLabel"), "3 of 5 effects");

    // Down goes from the search to the first patch found, and on down the list.
    QTest::keyClick(&search, Qt::Key_Down);
    EXPECT_EQ(loadedParameter(), "Echo_level");
    QTest::keyClick(&patches(), Qt::Key_Down);
    QTest::keyClick(&patches(), Qt::Key_Down);
    EXPECT_EQ(loadedParameter(), "TapeÉcho_level");
    QTest::keyClick(&patches(), Qt::Key_Delete);
    settle();
    EXPECT_EQ(shownNames(), (QStringList{"Echo", "Echo 2"}));
    clickRow(1);
    QTest::keyClick(&patches(), Qt::Key_Backspace);
    settle();
    // The line under the list offers Undo, and so does Ctrl+Z.
    EXPECT_EQ(text("noticeText"), "Deleted “Echo 2”");
    QTest::mouseClick(&child<QPushButton>("noticeAction"), Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(child<QWidget>("noticeBar").isVisible());

    search.setFocus();
    QTest::keyClicks(&search, "x");
    EXPECT_EQ(patches().placeholderText(), "No effects match “ECHOx”.");
    QTest::keyClick(&search, Qt::Key_Escape);
    EXPECT_EQ(shownNames(), (QStringList{"Drone", "Echo", "Echo 2", "Grain", "TapeÉcho"}));
    // Whatever its row, a patch the search hides takes its parameters along.
    for (int row = 0; row < 5; ++row) {
        clickRow(row);
        QTest::keyClicks(&search, "zz");
        EXPECT_EQ(loadedParameter(), "") << row;
        search.clear();
    }
    // Cleared, the search leaves the patch picked through it in view.
    patches().setFixedHeight(3 * patches().rowHeight(0));
    QTest::keyClicks(&search, "tape");
    clickRow(0);
    search.clear();
    const QModelIndex picked = patches().selectionModel()->selectedRows().value(0);
    EXPECT_TRUE(patches().viewport()->rect().contains(patches().visualRect(picked)));
    // A type folder removed and made again is watched again.
    fs::remove_all(EFFECTS_DIR);
    EXPECT_TRUE(showsInTime({}));
    addPatch("Back", "#X obj 10 10 dac~;\n");
    EXPECT_TRUE(showsInTime({"Back"}));
    clickRow(0);
    EXPECT_EQ(parameterTable().placeholderText(), "This patch declares no parameters.");
    QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(child<QAbstractButton>("instrumentsSegment").isChecked());
    EXPECT_EQ(text("countLabel"), "0 instruments");
    EXPECT_EQ(parameterTable().placeholderText(),
              "Select a patch to see the parameters it declares.");
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_TRUE(window->helpPanel().isVisible() && !window->helpPanel().isModal());
    EXPECT_TRUE(window->helpPanel().findChild<QTextBrowser*>()->toPlainText().contains(BASE_DIR));
}

// Whatever replaced the library folder or a type folder, the list shows what is at their paths,
// and then what changes inside it; a window opened anew lists the library as it finds it.
TEST_F(MainWindowTest, TheListFollowsTheLibrarysPathsWhenTheirFoldersAreReplaced) {
    struct Case {
        std::string folder;
        bool removed;       // else renamed away
        std::string shown;  // a patch made in the new type folder
    };
    const std::vector<Case> cases = {
        {kEffects, false, "NewOne"}, {BASE_DIR, false, "Fresh"}, {kEffects, true, "Back"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        // Made anew (and at the end removed with its parent) by each case.
        ScratchLibrary fresh;
        addPatch("Old");
        ASSERT_TRUE(showsInTime({"Old"}));
        if (c.removed)
            fs::remove_all(c.folder);
        else
            fs::rename(c.folder, c.folder + ".old");
        fs::create_directories(kEffects + "/" + c.shown);
        EXPECT_TRUE(showsInTime({QString::fromStdString(c.shown)}));
        fs::create_directory(kEffects + "/Then");
        EXPECT_TRUE(showsInTime({QString::fromStdString(c.shown), "Then"}));
    }
    // A window opened on a library lists it in the order people sort names.
    for (const char* name : {"Synth 10", "synth 2", "Écho", "echo", "Alpha"}) addPatch(name);
    window.reset();
    window = openMainWindow(controller);
    EXPECT_TRUE(showsInTime({"Alpha", "echo", "Écho", "synth 2", "Synth 10"}));
}

// Patches are read on a thread of their own: the window answers while a read is held, and a
// read never waits for an install being copied.
TEST_F(MainWindowTest, PatchesAreReadOffTheWindowsThreadAndApartFromInstalls) {
    for (const char* name : {"Drone", "Gated"}) addPatch(name);
    ASSERT_TRUE(showsInTime({"Drone", "Gated"}));
    std::promise<void> gate;
    window->patchReader().read([opened = gate.get_future().share()]() -> workers::MainThreadStep {
        opened.wait();
        return [] {};
    });
    clickRow(0);
    clickRow(1);
    EXPECT_EQ(patches().selectedRow(), 1);
    EXPECT_EQ(cell(parameterTable(), 0), "");
    gate.set_value();
    EXPECT_EQ(loadedParameter(), "Gated_level");

    const QString gated = QString::fromStdString(source.makeDir("Gated"));
    source.writeFile("Gated/Gated.pd", kEffect);
    GatedCopy cp;
    quietly([&] {
        window->installPaths({gated});
        ASSERT_TRUE(QTest::qWaitFor([&] { return cp.holdsGated(); }, kPatienceMs));
        clickRow(0);
        EXPECT_EQ(loadedParameter(), "Drone_level");
        EXPECT_TRUE(window->libraryQueue().busy());
        cp.openGate();
        settle();
    });
}

// Cancel or quit during an item's copy keeps its earlier copy and the items before it, starts no
// later one; a waiting request runs after a cancel, not after a quit (the window keeps its size).
// The bar counts the files of a folder of many as well as its bytes.
TEST_F(MainWindowTest, AStoppedInstallLeavesTheLibraryAsBeforeButForWhatItInstalled) {
    QString first, gated, last;
    for (auto [name, path] : {std::pair{"First", &first}, {"Gated", &gated}, {"Last", &last}}) {
        *path = QString::fromStdString(source.makeDir(name));
        source.writeFile(name + std::string("/") + name + ".pd", kEffect);
    }
    const QString many = QString::fromStdString(source.makeDir("many/Gated"));
    source.writeFile("many/Gated/Gated.pd", kEffect);
    for (int file = 0; file < 300; ++file)
        source.writeFile("many/Gated/" + std::to_string(file), "x");
    const QString queued = QString::fromStdString(source.writeFile("Queued.pd", kEffect));
    const qsizetype manyBytes = qsizetype(kEffect.size()) + 300;
    const QString allOfMany = QString("%1 bytes of %1 bytes, 301 of 301 files").arg(manyBytes);
    struct Case {
        QStringList request;
        bool quit;
        QString done, notice;  // the notice after a cancel
        int bar = 0;
        QString copied = QString("0 bytes of %1 bytes").arg(kEffect.size());
    };
    const std::vector<Case> cases = {
        {{gated, last}, false, "0 of 2", "2 of 2 items were not installed"},
        {{first, gated, last}, false, "1 of 3", "2 of 3 items were not installed", 333},
        {{many, last}, false, "0 of 2", "2 of 2 items were not installed", 500, allOfMany},
        {{first, gated, last}, true, "1 of 3", "", 333}};
    // The busy cursor shows until the progress pane does.
    bool busyCursor = false;
    QObject::connect(&window->libraryQueue(), &LibraryQueue::requestStarted, window.get(), [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        busyCursor = busyCursor || (cursor && cursor->shape() == Qt::BusyCursor);
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quit ? "quit" : c.notice.toStdString());
        ScratchLibrary fresh;
        GatedCopy cp(c.request.front() == many);  // many: held once copied whole
        busyCursor = false;
        addPatch("Gated");
        const Tree before = treeOf(kAbove);
        quietly([&] {
            window->installPaths(c.request);
            window->installPaths({queued});
            ASSERT_TRUE(QTest::qWaitFor([&] { return cp.holdsGated(); }, kPatienceMs));
            ASSERT_TRUE(QTest::qWaitFor([&] { return child<QWidget>("progressPane").isVisible(); },
                                        kPatienceMs));
            EXPECT_EQ(text("progressText"), "Installing “Gated”, " + c.done + " items done");
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return text("progressBytes") == c.copied; }, kPatienceMs))
                << text("progressBytes").toStdString();
            EXPECT_EQ(child<QProgressBar>("progressBar").value(), c.bar);
            EXPECT_EQ(text("waitingLabel"), "1 more waiting");
            if (c.quit) {
                // A delete waits, named; quitting drops it.
                patches().selectRow(int(shownNames().indexOf("Gated")));
                QTest::mouseClick(&child<QPushButton>("deleteButton"), Qt::LeftButton);
                EXPECT_EQ(text("waitingLabel"), "Delete “Gated” and 1 more waiting");
                window->resize(700, 450);
                window->close();
                auto* question = window->findChild<QMessageBox*>();
                ASSERT_NE(question, nullptr);
                EXPECT_EQ(question->buttons().back()->text(), "Keep Installing");
                QTest::mouseClick(question->buttons().front(), Qt::LeftButton);
                EXPECT_FALSE(window->isVisible());
                window.reset();
            } else {
                QTest::mouseClick(&child<QPushButton>("cancelButton"), Qt::LeftButton);
                settle();
                EXPECT_EQ(text("noticeText"), c.notice);
                EXPECT_EQ(text("waitingLabel"), "");
            }
        });
        EXPECT_NE(out.find("\ncancelled\n"), std::string::npos) << out;
        EXPECT_TRUE(busyCursor);
        Tree after = treeOf(kAbove);
        EXPECT_EQ(after.contains(kEffectsKey + "/Queued/Queued.pd"), !c.quit);
        EXPECT_EQ(after.contains(kEffectsKey + "/First/First.pd"), c.request.front() == first);
        std::erase_if(after, [&](const auto& entry) {
            return entry.first.starts_with(kEffectsKey + "/Queued") ||
                   entry.first.starts_with(kEffectsKey + "/First");
        });
        EXPECT_EQ(after, before);
        if (!c.quit) continue;
        window = openMainWindow(controller);
        EXPECT_EQ(window->size(), QSize(700, 450));
    }
}

TEST_F(MainWindowTest, CellsShowAtMostAFewHundredCharactersAndFewMarksInARow) {
    std::string accents;
    for (int i = 0; i < 1000000; ++i) accents += "\xcc\x81";
    addPatch("Accents",
             "#X text 1 2 param a" + accents.substr(0, 80) + "b" + accents + " float 0 1 0;\n");
    // Folder names are byte strings: one that is not UTF-8 still shows.
    fs::create_directories(kEffects + "/caf\xe9");
    reload();
    EXPECT_EQ(shownNames(), (QStringList{"Accents", "caf\uFFFD"}));
    patches().selectRow(0);
    // At most 30 marks in a row, as Unicode's stream-safe text format has it.
    const QString marks(30, QChar(0x0301));
    EXPECT_EQ(loadedParameter(), "a" + marks + "b" + marks + QChar(0x2026));

    // A character beyond 16 bits counts as one.
    addPatch("Long", "#X text 1 2 param x🎹" + std::string(10000000, 'x') + " float 0 1 0;\n");
    reload();
    patches().selectRow(2);
    EXPECT_EQ(loadedParameter(), "x🎹" + QString(298, 'x') + QChar(0x2026));
    EXPECT_EQ(cell(parameterTable(), 0, Qt::ToolTipRole),
              "x🎹" + QString(1998, 'x') + QChar(0x2026));
}

// A patch the check finds a warning in shows the style's warning icon and says why in its tooltip
// and to screen readers; selected, its findings show below its parameters, each with its place.
TEST_F(MainWindowTest, APatchWithFindingsIsMarkedAndItsFindingsListed) {
    addPatch("Drone");
    addPatch("Verb", kEffect + "#X obj 1 1 freeverb~;\n");
    controller.libraryChanged();
    settle();
    const QString sentence =
        "freeverb~ is not part of Pd vanilla and not in the patch's folder; "
        "the host may fail to create it.";
    const QModelIndex drone = patches().model()->index(0, 0), verb = patches().model()->index(1, 0);
    EXPECT_TRUE(drone.data(Qt::DecorationRole).isNull());
    EXPECT_FALSE(verb.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(verb.data(Qt::ToolTipRole), "Verb\n1 warning: " + sentence);
    EXPECT_EQ(verb.data(Qt::AccessibleDescriptionRole), "1 warning: " + sentence);
    auto& section = child<QWidget>("findingsSection");
    for (const int row : {0, 1}) {
        clickRow(row);
        EXPECT_EQ(section.isVisible(), row == 1);
    }
    const QList<QLabel*> texts = section.findChildren<QLabel*>("findingText");
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0]->text(), sentence);
    EXPECT_EQ(texts[0]->toolTip(), "Verb.pd:4");
}

// A drop clears a search that hides the new patch and marks it there, selecting nothing. A folder
// without its main patch file says so where its parameters would be.
TEST_F(MainWindowTest, ADropRevealsTheNewPatchAndAFolderWithoutMainFileSaysSo) {
    fs::create_directories(kEffects + "/Hollow");
    reload();
    clickRow(0);
    EXPECT_EQ(loadedParameter(), "");
    EXPECT_EQ(parameterTable().placeholderText(),
              "No main patch file “Hollow.pd”: the audio host cannot load this folder");
    auto& search = child<QLineEdit>("searchField");
    QTest::keyClicks(&search, "Hol");
    const QPoint onRow = patches().visualRect(patches().model()->index(0, 0)).center();
    dropFile(source.writeFile("Echo.pd", kEffect), onRow, Qt::CopyAction);
    EXPECT_EQ(search.text(), "");
    EXPECT_EQ(shownNames(), (QStringList{"Echo", "Hollow"}));
    EXPECT_EQ(patches().markedRows(), std::vector<int>{0});
    EXPECT_EQ(patches().selectedRow(), 1);
    EXPECT_EQ(text("noticeText"), "Installed “Echo” (effects)");
}

// Tab walks the controls in the order of the layout, never held by a table, and Shift+Tab walks
// back; in the window's accessibility tree every control is named, each with its role.
TEST_F(MainWindowTest, TabWalksTheNamedControlsInLayoutOrder) {
    for (const char* name : {"Drone", "Echo"}) addPatch(name);
    ASSERT_TRUE(showsInTime({"Drone", "Echo"}));
    clickRow(1);
    QTest::keyClick(&patches(), Qt::Key_Delete);
    settle();
    clickRow(0);
    child<QWidget>("progressPane").show();
    std::set<std::pair<QString, QAccessible::Role>> found;
    const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        const QString name = node->text(QAccessible::Name);
        EXPECT_TRUE(name != "" || !node->state().focusable) << node->role();
        found.emplace(name, node->role());
        for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(window.get()));
    const std::map<QString, QAccessible::Role> expected = {
        {"Patch type", QAccessible::Grouping},
        {"Instruments", QAccessible::RadioButton},
        {"Install progress", QAccessible::ProgressBar},
        {"Deleted “Echo”", QAccessible::Notification}};
    for (const auto& described : expected)
        EXPECT_TRUE(found.contains(described)) << described.first.toStdString();
    const QStringList order = {"Effects",
                               "Help",
                               "Search installed patches",
                               "Installed patches",
                               "Parameters of the selected patch",
                               "Patch drawing",
                               "Add…",
                               "Delete",
                               "Undo",
                               "Dismiss",
                               "Cancel"};
    for (const bool back : {false, true}) {
        child<QWidget>(back ? "cancelButton" : "effectsSegment").setFocus(Qt::TabFocusReason);
        QStringList walked;
        for (int step = 0; step < order.size(); ++step) {
            const QString name = QAccessible::queryAccessibleInterface(QApplication::focusWidget())
                                     ->text(QAccessible::Name);
            back ? walked.prepend(name) : walked.append(name);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            back ? Qt::ShiftModifier : Qt::NoModifier);
        }
        EXPECT_EQ(walked, order);
    }
}

// Ctrl+Z in the search field takes back its typing while it has some, then the latest delete, as
// Edit > Undo says; a switch of type keeps the place among the patches shown; Esc in the list
// clears the search.
TEST_F(MainWindowTest, KeysActOnWhatTheWindowShows) {
    for (const char* name : {"Drone", "Echo", "Grain", "Tape"}) addPatch(name);
    for (const char* name : {"Bass", "Lead", "Pad"}) addPatch(name, "", kInstruments);
    ASSERT_TRUE(showsInTime({"Drone", "Echo", "Grain", "Tape"}));
    clickRow(2);
    QTest::keyClick(&patches(), Qt::Key_Delete);
    settle();
    QLineEdit& search = child<QLineEdit>("searchField");
    search.setFocus();
    QTest::keyClicks(&search, "x");
    const QAction& undo = *window->findChild<QAction*>("undoAction");
    EXPECT_EQ(undo.text(), "&Undo Typing in Search");
    QTest::keyClick(&search, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(search.text() + undo.text(), "Undo Delete “Grain”");
    QTest::keyClick(&search, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(showsInTime({"Drone", "Echo", "Grain", "Tape"}));

    const auto switchTo = [&](Qt::Key type, int place) {
        clickRow(place);
        QTest::keyClick(window.get(), type, Qt::ControlModifier);
        settle();
        return loadedParameter();
    };
    switchTo(Qt::Key_2, 0);
    EXPECT_EQ(switchTo(Qt::Key_1, 0), "Drone_level");
    search.setText("a");
    EXPECT_EQ(switchTo(Qt::Key_2, 1) + switchTo(Qt::Key_1, 0), "Lead_levelGrain_level");
    QTest::keyClick(&patches(), Qt::Key_Escape);
    EXPECT_EQ(search.text(), "");
}

// The window fits its screen; About names the version, the license and the library folder; the
// help's contents show each section; "Add…" reads as itself in a right-to-left layout.
TEST_F(MainWindowTest, TheWindowFitsTellsAboutItselfAndReadsRightToLeft) {
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
    window->findChild<QAction*>("aboutAction")->trigger();
    auto& about = child<QMessageBox>("aboutBox");
    EXPECT_TRUE(about.text().contains(QRegularExpression("\\b\\d+\\.\\d+\\.\\d+\\b")));
    EXPECT_TRUE(about.informativeText().contains(BASE_DIR));
    EXPECT_TRUE(about.detailedText().startsWith("MIT License"));
    about.close();
    QTest::keyClick(window.get(), Qt::Key_F1);
    auto& contents = *window->helpPanel().findChild<QListWidget*>();
    contents.setCurrentItem(contents.findItems("Patch folders", Qt::MatchExactly).value(0));
    EXPECT_EQ(
        window->helpPanel().findChild<QTextBrowser*>()->cursorForPosition({10, 10}).block().text(),
        "Patch folders");

    window.reset();
    QApplication::setLayoutDirection(Qt::RightToLeft);
    window = openMainWindow(controller);
    const QAbstractButton& add = child<QAbstractButton>("addButton");
    QTextLayout layout(add.text(), add.font());
    QTextOption rightToLeft;
    rightToLeft.setTextDirection(Qt::RightToLeft);
    layout.setTextOption(rightToLeft);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    QApplication::setLayoutDirection(Qt::LeftToRight);
    // After "A" comes "d", not the "…" that would stand before it.
    EXPECT_NEAR(line.cursorToX(1), QFontMetricsF(add.font()).horizontalAdvance("A"), 1.0);
}

// German from before the window opens until after it is gone; English again afterwards.
struct GermanTranslation {
    GermanTranslation() {
        installTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
    }
    ~GermanTranslation() {
        for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
};
class GermanWindowTest : GermanTranslation, public MainWindowTest {};

// In German the window's own texts, the controller's sentences with names in German quotes, the
// step in Edit > Undo, the controller's alerts and the help all speak German.
TEST_F(GermanWindowTest, TheWindowSpeaksGerman) {
    for (const char* name : {"Echo", "Hall"}) addPatch(name);
    reload();
    clickRow(0);
    QTest::keyClick(&patches(), Qt::Key_Delete);
    settle();
    quietly([&] {
        controller.openChosenFiles({source.path("missing.pd")});
        settle();
    });
    auto* alert = window->findChild<QMessageBox*>();
    ASSERT_NE(alert, nullptr);
    window->helpPanel().makeKeyAndOrderFront();
    const std::pair<QString, QString> shown[] = {
        {child<QAbstractButton>("effectsSegment").text(), "Effekte"},
        {child<QAbstractButton>("addButton").text(), "Hinzufügen…"},
        {text("countLabel"), "1 Effekt"},
        {text("noticeText"), "„Echo“ gelöscht"},
        {child<QAbstractButton>("noticeAction").text(), "Rückgängig"},
        {window->findChild<QAction*>("undoAction")->text(), "Rückgängig: „Echo“ löschen"},
        {child<QMenu>("editMenu").title(), "&Bearbeiten"},
        {child<QAction>("exportAction").text(), "&Exportieren…"},
        {alert->text(), "Die Datei oder der Ordner war ungültig"},
        {alert->buttons().value(0)->text(), "OK"},
        {window->helpPanel().findChild<QListWidget*>()->model()->index(0, 0).data().toString(),
         "Patches installieren"}};
    for (const auto& [text, german] : shown) EXPECT_EQ(text, german);
}

}  // namespace

// Ctrl and Shift pick several patches, which go as one step that one Ctrl+Z brings back and
// Ctrl+Shift+Z takes out again; what acts on a selection waits for one. Enter (as a double click)
// opens in Pd, and files dropped anywhere on the window install, unless their drag only moves.
TEST_F(MainWindowTest, SeveralPatchesActAsOneAndTheWholeWindowTakesDrops) {
    for (const char* name : {"Drone", "Echo", "Grain", "Pad"}) addPatch(name);
    ASSERT_TRUE(showsInTime({"Drone", "Echo", "Grain", "Pad"}));
    const auto enabled = [&] {
        return child<QPushButton>("deleteButton").isEnabled() &&
               child<QAction>("deleteAction").isEnabled() &&
               child<QAction>("openInPdAction").isEnabled();
    };
    EXPECT_FALSE(enabled());
    EXPECT_EQ(text("parametersLabel"), "Parameters of the selected patch");
    const auto clickWith = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect cellRect = patches().visualRect(patches().model()->index(row, 0));
        QTest::mouseClick(patches().viewport(), Qt::LeftButton, modifiers, cellRect.center());
    };
    clickRow(0);
    clickWith(2, Qt::ShiftModifier);
    EXPECT_EQ(loadedParameter(), "Grain_level");
    EXPECT_EQ(text("parametersLabel"), "Parameters of “Grain”");
    // Unpicked, the patch picked last hands the parameters to one still selected.
    clickWith(1, Qt::ControlModifier);
    EXPECT_EQ(patches().selectedRowIndexes(), (std::vector<int>{0, 2}));
    EXPECT_EQ(loadedParameter(), "Drone_level");
    EXPECT_TRUE(enabled());
    QStringList menu;
    for (QAction* action : patches().actions()) menu << action->text();
    EXPECT_EQ(menu, (QStringList{"Open in &Pd", "Show in F&iles", "&Copy Path", "&Export…", "",
                                 "&Delete"}));
    // Dragged out, they go as their folders, to be copied; exported, into one archive.
    const std::unique_ptr<QMimeData> dragged(
        patches().model()->mimeData(patches().selectionModel()->selectedIndexes()));
    EXPECT_EQ(dragged->urls(), (QList<QUrl>{QUrl::fromLocalFile(QString(EFFECTS_DIR) + "/Drone"),
                                            QUrl::fromLocalFile(QString(EFFECTS_DIR) + "/Grain")}));
    EXPECT_EQ(patches().model()->supportedDragActions(), Qt::CopyAction);
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    auto* dialog = window->findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(source.path("Two")));
    static_cast<QDialog*>(dialog)->accept();
    settle();
    EXPECT_EQ(text("noticeText"), "Exported 2 patches to “Two.zip”");
    EXPECT_TRUE(fs::exists(source.path("Two.zip")));
    QApplication::setActiveWindow(window.get());

    QTest::keyClick(&patches(), Qt::Key_Delete);
    settle();
    EXPECT_EQ(shownNames(), (QStringList{"Echo", "Pad"}));
    EXPECT_EQ(text("noticeText"), "Deleted 2 patches");
    EXPECT_FALSE(enabled());
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(showsInTime({"Drone", "Echo", "Grain", "Pad"}));
    EXPECT_EQ(child<QAction>("redoAction").text(), "Redo Delete of 2 Patches");
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_TRUE(showsInTime({"Echo", "Pad"}));
    fs::remove_all(kEffects + "/Echo");
    EXPECT_TRUE(showsInTime({"Pad"}));

    FakeWorkspace desktop;
    controller.setWorkspace(&desktop);
    // Enter, as a double click does, activates the row.
    clickRow(0);
    QTest::keyClick(&patches(), Qt::Key_Return);
    EXPECT_EQ(desktop.opened, std::vector<std::string>{kEffects + "/Pad/Pad.pd"});

    // Over the parameters, away from the list; a drag that can only move is refused and why.
    const std::string echo = source.writeFile("Echo.pd", kEffect);
    QWidget& elsewhere = *parameterTable().viewport();
    const QPoint middle = elsewhere.mapTo(window.get(), elsewhere.rect().center());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(echo))});
    for (Qt::DropActions actions :
         {Qt::DropActions(Qt::MoveAction), Qt::DropActions(Qt::CopyAction | Qt::MoveAction)}) {
        QDragEnterEvent enter(middle, actions, &files, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(middle, actions, &files, Qt::LeftButton, Qt::NoModifier);
        quietly([&] {
            QApplication::sendEvent(window.get(), &enter);
            if (enter.isAccepted()) QApplication::sendEvent(window.get(), &drop);
            settle();
        });
        const QString said = actions == Qt::MoveAction ? text("noticeText") : "";
        EXPECT_EQ(said, actions == Qt::MoveAction
                            ? "These files can only be moved, and the importer copies patches: "
                              "hold Ctrl while dragging to copy them."
                            : "");
    }
    EXPECT_TRUE(showsInTime({"Echo", "Pad"}));
    EXPECT_EQ(parameterTable().model()->index(0, 2).data(Qt::ToolTipRole), "0.5");
}
