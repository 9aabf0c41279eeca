#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <filesystem>

#include "app/ControllerTableView.h"
#include "testing/logTexts.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"
#include "testing/OutputCapture.h"

namespace fs = std::filesystem;

namespace {

const char* const kEffect = "#N canvas 0 0 450 300 10;\n#X obj 10 10 dac~;\n";
const char* const kInstrument = "#N canvas 0 0 450 300 10;\n#X obj 10 10 notein;\n";

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : window(controller) {
        window.show();
        controller.applicationDidFinishLaunching();
    }

    template <typename T>
    T& child(const char* name) {
        T* widget = window.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    ControllerTableView& patches() { return child<ControllerTableView>("patches"); }
    ControllerTableView& parameterTable() { return child<ControllerTableView>("parameterTable"); }

    static QString cell(const QTableView& table, int row, int column) {
        return table.model()->index(row, column).data().toString();
    }
    QStringList patchNames() {
        QStringList names;
        for (int row = 0; row < patches().model()->rowCount(); ++row)
            names << cell(patches(), row, 0);
        names.sort();
        return names;
    }
    int rowOf(const QString& name) {
        for (int row = 0; row < patches().model()->rowCount(); ++row) {
            if (cell(patches(), row, 0) == name) return row;
        }
        return -1;
    }
    void clickRow(int row) {
        const QRect cellRect = patches().visualRect(patches().model()->index(row, 0));
        QTest::mouseClick(patches().viewport(), Qt::LeftButton, Qt::NoModifier, cellRect.center());
    }

    // A drag of file URLs that enters the patches table, moves and drops at
    // `position`; true when the table took the drop.
    bool dropUrls(const QList<QUrl>& urls, QPoint position) {
        QMimeData mimeData;
        mimeData.setUrls(urls);
        QWidget* viewport = patches().viewport();
        QDragEnterEvent enter(position, Qt::CopyAction, &mimeData, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDragMoveEvent move(position, Qt::CopyAction, &mimeData, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        EXPECT_TRUE(move.isAccepted());
        QDropEvent drop(position, Qt::CopyAction, &mimeData, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        return drop.isAccepted();
    }
    QPoint belowTheRows() { return QPoint(20, patches().viewport()->height() - 10); }

    testing_support::ScratchLibrary library;
    testing_support::ScratchDir source;
    VQ_ImporterAppDelegate controller;
    MainWindow window;
};

TEST_F(MainWindowTest, StartsOnTheEffectsWithTheirColumns) {
    EXPECT_TRUE(child<QPushButton>("effectsSegment").isChecked());
    EXPECT_FALSE(child<QPushButton>("instrumentsSegment").isChecked());
    EXPECT_EQ(child<QPushButton>("effectsSegment").text(), "Effects");
    EXPECT_EQ(child<QPushButton>("instrumentsSegment").text(), "Instruments");
    EXPECT_EQ(parameterTable().columnIdentifiers(), (QStringList{"name", "default", "min", "max"}));
    QAbstractItemModel& parameters = *parameterTable().model();
    QStringList titles;
    for (int column = 0; column < parameters.columnCount(); ++column)
        titles << parameters.headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{"Name", "Default", "Min", "Max"}));
    EXPECT_EQ(parameters.rowCount(), 0);
}

TEST_F(MainWindowTest, DroppedFilesAreInstalledAndTheSelectorFollows) {
    const std::string echo = source.makeDir("My Echo");
    source.writeFile("My Echo/My Echo.pd", kEffect);
    const std::string bass = source.writeFile("Grüße Bass.pd", kInstrument);
    const QList<QUrl> urls{QUrl::fromLocalFile(QString::fromStdString(echo)),
                           QUrl::fromLocalFile(QString::fromStdString(bass))};
    // The table receives URLs in their encoded form.
    ASSERT_TRUE(urls[0].toEncoded().endsWith("/My%20Echo"));

    std::string log;
    bool accepted = false;
    testing_support::captureStdout([&] {
        log = testing_support::captureStderr([&] { accepted = dropUrls(urls, belowTheRows()); });
    });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(testing_support::logTexts(log),
              (std::vector<std::string>{"0", "file://" + echo, "1", "file://" + bass}));
    EXPECT_TRUE(fs::is_regular_file(std::string(EFFECTS_DIR) + "/My Echo/My Echo.pd"));
    EXPECT_TRUE(fs::is_regular_file(std::string(INSTRUMENTS_DIR) + "/Grüße Bass/Grüße Bass.pd"));
    EXPECT_TRUE(child<QPushButton>("instrumentsSegment").isChecked());
    EXPECT_EQ(patchNames(), QStringList{"Grüße Bass"});
    EXPECT_EQ(window.findChild<QMessageBox*>(), nullptr);
}

TEST_F(MainWindowTest, ADropOnARowCountsTheSame) {
    fs::create_directories(std::string(EFFECTS_DIR) + "/Drone");
    controller.reloadPatches(EFFECTS_DIR);
    const std::string echo = source.writeFile("Echo.pd", kEffect);
    const QPoint onRow = patches().visualRect(patches().model()->index(0, 0)).center();
    testing_support::captureStdout([&] {
        testing_support::captureStderr([&] {
            EXPECT_TRUE(dropUrls({QUrl::fromLocalFile(QString::fromStdString(echo))}, onRow));
        });
    });
    EXPECT_EQ(patchNames(), (QStringList{"Drone", "Echo"}));
}

TEST_F(MainWindowTest, ABadDropOpensAWindowModalAlertWithoutBlocking) {
    const std::string folder = source.makeDir("Loops");
    std::string out;
    testing_support::captureStderr([&] {
        out = testing_support::captureStdout([&] {
            EXPECT_TRUE(
                dropUrls({QUrl::fromLocalFile(QString::fromStdString(folder))}, belowTheRows()));
        });
    });
    EXPECT_TRUE(out.ends_with("\ninvalid files\n")) << out;

    auto* alert = window.findChild<QMessageBox*>();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    EXPECT_EQ(alert->icon(), QMessageBox::Warning);
    EXPECT_EQ(alert->text(), "The file or folder was invalid");
    EXPECT_EQ(alert->informativeText(),
              "Maybe you dropped a file with no dac~ or a folder that doesn't contain a patch of "
              "the same name!");
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().front()->text(), "OK");

    QTest::mouseClick(alert->buttons().front(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<QMessageBox*>(), nullptr);
    EXPECT_TRUE(child<QPushButton>("effectsSegment").isChecked());
}

TEST_F(MainWindowTest, SelectingAPatchFillsTheParametersTable) {
    const std::string folder = std::string(INSTRUMENTS_DIR) + "/Bass";
    fs::create_directories(folder);
    testing_support::writeFile(folder + "/Bass.pd",
                               "#X obj 1 1 notein;\n"
                               "#X text 12 40 param cutoff slider 20 800 440 Hz;\n"
                               "#X text 12 60 param gain float 0 1 0.5;\n");
    fs::create_directories(std::string(INSTRUMENTS_DIR) + "/Lead");
    QTest::mouseClick(&child<QPushButton>("instrumentsSegment"), Qt::LeftButton);
    EXPECT_EQ(patchNames(), (QStringList{"Bass", "Lead"}));

    clickRow(rowOf("Bass"));
    EXPECT_EQ(patches().selectedRow(), rowOf("Bass"));
    ControllerTableView& parameters = parameterTable();
    ASSERT_EQ(parameters.model()->rowCount(), 2);
    EXPECT_EQ(cell(parameters, 0, 0), "cutoff");
    EXPECT_EQ(cell(parameters, 0, 1), "440.00");
    EXPECT_EQ(cell(parameters, 0, 2), "20.00");
    EXPECT_EQ(cell(parameters, 0, 3), "800.00");
    EXPECT_EQ(cell(parameters, 1, 1), "0.50");

    // Moving the selector from the program sends no type change, so the
    // effects' empty list does not touch the parameters.
    controller.reloadPatches(EFFECTS_DIR);
    EXPECT_TRUE(child<QPushButton>("effectsSegment").isChecked());
    EXPECT_EQ(parameters.model()->rowCount(), 2);

    // A patch that declares nothing empties the table.
    controller.reloadPatches(INSTRUMENTS_DIR);
    clickRow(rowOf("Lead"));
    EXPECT_EQ(parameters.model()->rowCount(), 0);
}

TEST_F(MainWindowTest, DeleteRemovesTheSelectedPatch) {
    fs::create_directories(std::string(EFFECTS_DIR) + "/Drone");
    const std::string echo = std::string(EFFECTS_DIR) + "/Echo";
    fs::create_directories(echo);
    testing_support::writeFile(echo + "/Echo.pd", "#X text 1 2 param time float 0 1 0.5;\n");
    controller.reloadPatches(EFFECTS_DIR);
    clickRow(rowOf("Echo"));

    QTest::mouseClick(&child<QPushButton>("deleteButton"), Qt::LeftButton);
    EXPECT_FALSE(fs::exists(echo));
    EXPECT_EQ(patchNames(), QStringList{"Drone"});
    EXPECT_EQ(cell(parameterTable(), 0, 0), "time");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, HelpOpensANonModalPanel) {
    QTest::mouseClick(&child<QPushButton>("helpButton"), Qt::LeftButton);
    HelpPanel& help = window.helpPanel();
    EXPECT_TRUE(help.isVisible());
    EXPECT_FALSE(help.isModal());
    const QString text = help.findChild<QTextBrowser*>("helpText")->toPlainText();
    for (const QString& needed :
         {QString::fromUtf8(BASE_DIR), QString("notein"),
          QString("#X text 12 40 param cutoff slider 20 800 440 Hz;"), QString("Bass/Bass.pd")})
        EXPECT_TRUE(text.contains(needed)) << needed.toStdString();
}

}  // namespace
