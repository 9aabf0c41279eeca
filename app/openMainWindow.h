#pragma once

// The one way a main window comes up, in the program, the screenshot tool,
// the benchmark and the window tests alike: laid out, attached to its
// controller, shown, and the controller told that launching has finished.

#include <future>
#include <memory>
#include <thread>

#include "app/MainWindow.h"

// The controller being made, which lists the effects, and the ranking of
// its list's names, on a thread of their own. Members go in reverse: the
// lister is joined before what it makes goes.
struct ImporterStart {
    std::future<std::unique_ptr<VQ_ImporterAppDelegate>> controller;
    RankingToCome ranking;
    // Makes the controller, then helps to rank the names of its list.
    std::jthread lister;
};

// Starts listing the library on another core. The program calls it before
// it makes its QApplication, so that a big library is listed while Qt starts
// and the window is laid out (each takes about as long as the other).
ImporterStart startImporter();

// A controller and its main window. Members go in reverse: the lister is
// joined, then the window goes, then the controller it was attached to.
struct Importer {
    std::unique_ptr<VQ_ImporterAppDelegate> controller;
    std::unique_ptr<MainWindow> window;
    std::jthread lister;
};

// Lays the window out, attaches it to the controller once that is made and
// hands it the ranking of the controller's list for its first sort.
Importer openImporter(ImporterStart started = startImporter());

// The main window of a controller made already.
std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller);
