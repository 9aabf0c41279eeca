#pragma once

// The one way a main window comes up, in the program, the screenshot tool,
// the benchmark and the window tests alike: laid out, attached to its
// controller, the controller told that launching has finished (which asks
// for the effects' list, made on the window's lister while the window is
// shown), then shown.

#include <memory>

#include "app/MainWindow.h"

// The window goes before the controller, which it lets go of when it goes.
std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller);
