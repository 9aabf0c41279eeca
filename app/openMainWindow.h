#pragma once

// The one way a main window comes up, in the program, the screenshot tool,
// the benchmark and the window tests alike: the library's watch is set, the
// window's lister made and the controller told that launching has finished,
// which asks it for the effects' list; the list is made while the window is
// laid out, attached to the controller and shown, and shows once the event
// loop runs.

#include <memory>

#include "app/MainWindow.h"

// The window goes before the controller, which it lets go of when it goes.
std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller);
