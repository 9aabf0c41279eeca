#include "app/ControllerTableView.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/MainWindow.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace fs = std::filesystem;

namespace {

class ControllerTableViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Drone", "Echo", "Grain"})
            fs::create_directories(std::string(EFFECTS_DIR) + "/" + name);
        controller.reloadPatches(EFFECTS_DIR);
        patches = window.findChild<ControllerTableView*>("patches");
    }
    int rowOf(const std::string& name) {
        for (int row = 0; row < patches->model()->rowCount(); ++row) {
            if (patches->model()->index(row, 0).data().toString().toStdString() == name) return row;
        }
        return -1;
    }

    testing_support::ScratchLibrary library;
    VQ_ImporterAppDelegate controller;
    MainWindow window{controller};
    ControllerTableView* patches = nullptr;
};

TEST_F(ControllerTableViewTest, ASelectionOutlivesAReloadWhileItsRowExists) {
    patches->selectRow(2);
    ASSERT_EQ(patches->selectedRow(), 2);
    patches->reloadData();
    EXPECT_EQ(patches->selectedRow(), 2);

    fs::remove_all(std::string(EFFECTS_DIR) + "/Grain");
    controller.reloadPatches(EFFECTS_DIR);
    EXPECT_EQ(patches->model()->rowCount(), 2);
    EXPECT_EQ(patches->selectedRow(), -1);
}

TEST_F(ControllerTableViewTest, TheControllerIsAskedBeforeARowIsSelected) {
    const std::string echo = std::string(EFFECTS_DIR) + "/Echo";
    testing_support::writeFile(echo + "/Echo.pd", "#X text 1 2 param time float 0 1 0.5;\n");
    auto* parameters = window.findChild<ControllerTableView*>("parameterTable");
    controller.applicationDidFinishLaunching();

    patches->selectRow(rowOf("Echo"));
    EXPECT_EQ(parameters->model()->rowCount(), 1);
    // Keeping the selection across a reload asks nothing and loads nothing.
    fs::remove(echo + "/Echo.pd");
    patches->reloadData();
    EXPECT_EQ(patches->selectedRow(), rowOf("Echo"));
    EXPECT_EQ(parameters->model()->rowCount(), 1);
}

TEST_F(ControllerTableViewTest, NamesThatAreNotUtf8StillShow) {
    fs::create_directories(std::string(EFFECTS_DIR) + "/caf\xe9");
    controller.reloadPatches(EFFECTS_DIR);
    EXPECT_NE(rowOf("caf\xef\xbf\xbd"), -1);
    EXPECT_NE(rowOf("Echo"), -1);
}

TEST_F(ControllerTableViewTest, NumbersAreRightAligned) {
    auto* parameters = window.findChild<ControllerTableView*>("parameterTable");
    const QVariant alignment =
        parameters->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole);
    EXPECT_TRUE(alignment.value<Qt::Alignment>() & Qt::AlignRight);
    EXPECT_FALSE(
        parameters->model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).isValid());
}

}  // namespace
