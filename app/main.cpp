// The importer's entry: answers --help and --check without a window (and
// without touching the library folder); otherwise logs its first line, then
// either hands its paths to the importer already running or builds the
// controller and the main window and runs the Qt event loop. No thread
// starts before the QApplication: the effects are listed on the window's
// lister, made just before the window and listing while it is laid out.
// Paths on the command line are an open request, handled once the event
// loop runs.

#include <QApplication>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/SingleInstance.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/appTranslations.h"
#include "app/commandLineCheck.h"
#include "app/openMainWindow.h"
#include "app/percentDecode.h"
#include "app/platformLog.h"
#include "library/VQAUUtils.h"

namespace {
bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Without a display Qt would abort with a message that does not say what to do.
bool canShowWindows(int argc, char* argv[]) {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM")) return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    }
    return false;
}

void bringToFront(QWidget& window) {
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

constexpr const char* kUsage =
    "Usage: veltrano-importer [PATH|URL...]\n"
    "       veltrano-importer --check PATH...\n"
    "\n"
    "Opens the window that installs Pure Data patches into the library folder\n"
    "%s; each PATH (a patch folder, a patch file or an archive)\n"
    "is installed as if dropped on the window.\n"
    "\n"
    "  --check PATH...  check patch folders, patch files and archives without a\n"
    "                   window and without touching the library folder: one line\n"
    "                   per finding, PATH:LINE: SEVERITY: CODE: SENTENCE; the exit\n"
    "                   status is 1 when an error was found, else 0\n"
    "  --help           show this text\n";

void openFiles(VQ_ImporterAppDelegate& controller, const std::vector<std::string>& fileNames) {
    if (!fileNames.empty()) controller.applicationOpenFiles(fileNames);
}
}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::printf(kUsage, BASE_DIR);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--check") == 0)
        return runCommandLineCheck({argv + 2, argv + argc}, std::cout, std::cerr);
    // The library's log lines go to standard output, which is block-buffered
    // when it is a file or a pipe: a line such as "cancelled" would reach a
    // log file only at some later flush, or never if the process is killed.
    // Line buffering writes each line as it ends (before any other use of
    // the stream, as setvbuf requires). platformLog writes standard error
    // itself, a line at a time.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    platformLog("main");
    if (!canShowWindows(argc, argv)) {
        std::fprintf(stderr,
                     "%s: no display found. Start it from a desktop session, or under a virtual "
                     "X server: xvfb-run -a %s [PATH...]\n",
                     argv[0], argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    // Also where the window keeps its size and place (QSettings).
    QApplication::setOrganizationName("Veltrano");
    QApplication::setApplicationName("Veltrano Importer");
    // The installed desktop entry's name, so that Wayland shells match the
    // window to the entry and its icon.
    QGuiApplication::setDesktopFileName("org.veltrano.importer");
    installTranslations(app);
    // QApplication took the user's locale for everything. The log lines
    // (the library's included) keep the system's messages in English; the
    // window asks for them in the user's language where it shows them.
    std::setlocale(LC_MESSAGES, "C");

    // QApplication has taken its own options out of argv; the rest are paths.
    const std::vector<std::string> fileNames = localPathsOf({argv + 1, argv + argc});
    SingleInstance instance(BASE_DIR);
    switch (instance.handOverOrListen(fileNames)) {
        case SingleInstance::Start::handedOver:
            return 0;
        case SingleInstance::Start::notAnswered:
            std::fprintf(stderr, "%s: the importer already running did not answer in time\n",
                         argv[0]);
            return 1;
        case SingleInstance::Start::first:
            break;
    }

    VQ_ImporterAppDelegate controller;
    const std::unique_ptr<MainWindow> windowOwner = openMainWindow(controller);
    MainWindow& window = *windowOwner;

    QObject::connect(&instance, &SingleInstance::openRequested, &window,
                     [&controller, &window](const std::vector<std::string>& paths) {
                         bringToFront(window);
                         openFiles(controller, paths);
                     });
    QTimer::singleShot(0, &window, [&controller, fileNames] { openFiles(controller, fileNames); });
    return app.exec();
}
