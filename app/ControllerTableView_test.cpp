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

TEST_F(ControllerTableViewTest, CellsShowAtMostAFewHundredCharacters) {
    std::string accents;
    for (int i = 0; i < 1000000; ++i) accents += "\xcc\x81";
    addEffect("Accents", "#X text 1 2 param a" + accents + " float 0 1 0;\n");
    // Folder names are byte strings: one that is not UTF-8 still shows.
    addEffect("caf\xe9");
    controller.reloadPatches(EFFECTS_DIR);
    EXPECT_EQ(shownNames(), (QStringList{"Accents", "caf\uFFFD"}));

    patches->selectRow(0);
    const QModelIndex name = window->findChild<ControllerTableView*>("parameterTable")
                                 ->model()->index(0, 0);
    const QString shown = name.data().toString();
    EXPECT_EQ(shown.size(), 301);
    EXPECT_TRUE(shown.startsWith(QString("a") + QChar(0x0301)));
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_EQ(name.data(Qt::ToolTipRole).toString().size(), 2001);
}

}  // namespace
