#pragma once

// The one way a main window comes up, in the program, the screenshot tool,
// the benchmark and the window tests alike.

#include <memory>

#include "app/MainWindow.h"

// Builds the controller's main window (which attaches its views), shows it
// and tells the controller that launching has finished.
std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller);
