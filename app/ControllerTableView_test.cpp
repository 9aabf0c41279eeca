#include "app/ControllerTableView.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <filesystem>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/openMainWindow.h"
#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace fs = std::filesystem;

namespace {

class ControllerTableViewTest : public ::testing::Test {
protected:
    static void addEffect(const std::string& name, const std::string& patch = "") {
        const std::string folder = std::string(EFFECTS_DIR) + "/" + name;
        fs::create_directories(folder);
        if (!patch.empty()) testing_support::writeFile(folder + "/" + name + ".pd", patch);
    }
    QStringList shownNames() {
        QStringList names;
        for (int row = 0; row < patches->model()->rowCount(); ++row)
            names << patches->model()->index(row, 0).data().toString();
        return names;
    }

    testing_support::ScratchLibrary library;
    VQ_ImporterAppDelegate controller;
    std::unique_ptr<MainWindow> window = openMainWindow(controller);
    ControllerTableView* patches = window->findChild<ControllerTableView*>("patches");
};

// ICU ignores the numeric mode in the C locale, where "Synth 10" would come
// before "synth 2".
TEST_F(ControllerTableViewTest, NamesSortAsPeopleSortThemInEveryLocale) {
    for (const char* name : {"Synth 10", "synth 3", "Synth 2", "beta", "Alpha", "Écho", "echo"})
        addEffect(name);
    const QStringList expected{"Alpha", "beta", "echo", "Écho", "Synth 2", "synth 3", "Synth 10"};
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        controller.reloadPatches(EFFECTS_DIR);
        EXPECT_EQ(shownNames(), expected) << locale.name().toStdString();
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(ControllerTableViewTest, CellsShowAtMostAFewHundredCharactersAndFewMarksInARow) {
    std::string accents;
    for (int i = 0; i < 1000000; ++i) accents += "\xcc\x81";
    addEffect("Accents", "#X text 1 2 param a" + accents + " float 0 1 0;\n");
    // Folder names are byte strings: one that is not UTF-8 still shows.
    addEffect("caf\xe9");
    controller.reloadPatches(EFFECTS_DIR);
    EXPECT_EQ(shownNames(), (QStringList{"Accents", "caf\uFFFD"}));

    const auto parameterName = [&](int role) {
        return window->findChild<ControllerTableView*>("parameterTable")
            ->model()
            ->index(0, 0)
            .data(role)
            .toString();
    };
    patches->selectRow(0);
    // At most 30 marks in a row, as Unicode's stream-safe text format has it.
    EXPECT_EQ(parameterName(Qt::DisplayRole), "a" + QString(30, QChar(0x0301)) + QChar(0x2026));

    addEffect("Long", "#X text 1 2 param " + std::string(10000000, 'x') + " float 0 1 0;\n");
    controller.reloadPatches(EFFECTS_DIR);
    patches->selectRow(2);
    EXPECT_EQ(parameterName(Qt::DisplayRole), QString(300, 'x') + QChar(0x2026));
    EXPECT_EQ(parameterName(Qt::ToolTipRole), QString(2000, 'x') + QChar(0x2026));
}

}  // namespace
