#pragma once

// The one way a main window comes up, in the program, the screenshot tool,
// the benchmark and the window tests alike: laid out, attached to its
// controller, shown, and the controller told that launching has finished.

#include <memory>

#include "app/MainWindow.h"

// A controller and its main window; the window goes first.
struct Importer {
    std::unique_ptr<VQ_ImporterAppDelegate> controller;
    std::unique_ptr<MainWindow> window;
};

// Makes the controller, which lists the effects, on another core while the
// window is laid out: for a big library each takes about as long as the other.
Importer openImporter();

// The main window of a controller made already.
std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller);
