// Times the importer's start on the offscreen platform: from the start of
// the program to the first paint of the patches table, with whatever the
// benchmark's library folder holds. Prints the seconds on standard output.
// Builds the controller and the window the way the importer's entry does.

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/MainWindow.h"
#include "app/VQ_ImporterAppDelegate.h"

namespace {

using Clock = std::chrono::steady_clock;

// Notes the time of the first paint event that reaches the watched widget
// and ends the event loop.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(Clock::time_point start) : start_(start) {}
    bool painted() const { return painted_; }
    double seconds() const { return std::chrono::duration<double>(at_ - start_).count(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            at_ = Clock::now();
            painted_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Clock::time_point start_;
    Clock::time_point at_;
    bool painted_ = false;
};

// Qt warns without a runtime folder of the user's own; give it a private one.
void provideRuntimeFolder() {
    if (std::getenv("XDG_RUNTIME_DIR")) return;
    const std::string folder = std::filesystem::temp_directory_path() / "veltrano-bench-runtime";
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

}  // namespace

int main(int argc, char* argv[]) {
    const Clock::time_point start = Clock::now();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    provideRuntimeFolder();
    QApplication app(argc, argv);

    VQ_ImporterAppDelegate controller;
    MainWindow window(controller);
    auto* patches = window.findChild<QAbstractItemView*>("patches");
    if (!patches) {
        std::fprintf(stderr, "the window has no patches table\n");
        return 1;
    }
    FirstPaint firstPaint(start);
    patches->viewport()->installEventFilter(&firstPaint);
    window.show();
    controller.applicationDidFinishLaunching();
    // A window that never paints would otherwise keep the benchmark waiting.
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();
    if (!firstPaint.painted()) {
        std::fprintf(stderr, "the patches table was never painted\n");
        return 1;
    }
    std::printf("%.9f\n", firstPaint.seconds());
    return 0;
}
