#pragma once

// The one way a main window comes up, in the program, the screenshot tool,
// the benchmark and the window tests alike: laid out, attached to its
// controller, shown, and the controller told that launching has finished.

#include <memory>
#include <thread>

#include "app/MainWindow.h"

// A controller and its main window. Members go in reverse: the lister is
// joined, then the window goes, then the controller it was attached to.
struct Importer {
    std::unique_ptr<VQ_ImporterAppDelegate> controller;
    std::unique_ptr<MainWindow> window;
    // Made the controller, then helps to rank the names of its list.
    std::jthread lister;
};

// Makes the controller, which lists the effects, on another core while the
// window is laid out (for a big library each takes about as long as the
// other), and ranks the effects' names there while the window attaches.
Importer openImporter();

// The main window of a controller made already.
std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller);
