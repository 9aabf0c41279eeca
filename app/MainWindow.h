#pragma once

// The importer's main window, laid out by mainwindow.ui. Building it attaches
// its views to the controller and connects its controls to the controller's
// actions, the way loading an interface description would.

#include <QMainWindow>
#include <memory>

#include "app/ButtonSegments.h"
#include "app/HelpPanel.h"
#include "app/views.h"

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow, public views::Window {
    Q_OBJECT
public:
    explicit MainWindow(VQ_ImporterAppDelegate& controller, QWidget* parent = nullptr);
    ~MainWindow() override;

    // A window-modal message box, opened without waiting for it.
    void beginSheetModal(const views::Alert& alert) override;

    HelpPanel& helpPanel() { return *helpPanel_; }

private:
    void attachViews();

    VQ_ImporterAppDelegate& controller_;
    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<ButtonSegments> typeSegments_;
    HelpPanel* helpPanel_;
};
