// Times the importer's window on the offscreen platform, with whatever the
// benchmark's library folder holds, and prints the seconds on standard
// output. The window comes up the way the importer's entry brings it up.
//
//   veltrano-window-bench                 launch of the program to its first
//                                         painted frame (from its main()
//                                         when the benchmark did not start it)
//   veltrano-window-bench --select NAME   the same, with the effect NAME
//                                         selected before the first frame
//   veltrano-window-bench --search TEXT   after the first frame, types TEXT
//                                         into the search field and erases it
//                                         again: the slowest keystroke, from
//                                         the key to the list painted anew
//   veltrano-window-bench --appear NAME   after the first frame, makes the
//                                         patch folder NAME among the effects:
//                                         from then until the list shows it
//   veltrano-window-bench --install FOLDER
//                                         after the first frame, installs the
//                                         patch folder the way Add… does,
//                                         through the window's worker: until
//                                         the window has shown the result
//   veltrano-window-bench --install-on-the-spot FOLDER
//                                         the same with no worker: the install
//                                         runs on the window's thread
//   veltrano-window-bench --draw BOXES    one frame of the drawing of a
//                                         generated patch of BOXES boxes and
//                                         half as many connections again,
//                                         painted from a layout made before:
//                                         the median of eleven frames, after
//                                         one that loads the font
//   veltrano-window-bench --answer-during-install FOLDER
//                                         the install through the worker,
//                                         while another thread posts an event
//                                         to the window every 5 ms: the
//                                         longest an event waited to be handled
//   veltrano-window-bench --storm SECONDS after the first frame, another
//                                         process makes and removes 1,000
//                                         patch folders a second among the
//                                         effects for SECONDS, while another
//                                         thread posts an event to the window
//                                         every 5 ms: the longest an event
//                                         waited, once the list shows exactly
//                                         the folders on disk 1 s after
//   veltrano-window-bench --make-storm SECONDS
//                                         that other process
//   veltrano-window-bench --answer-during-check
//                                         from the window's making until it has
//                                         shown its list and its check of the
//                                         whole library is done, the same probe

#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "app/LibraryQueue.h"
#include "app/PatchCanvasView.h"
#include "app/PatchCheckQueue.h"
#include "app/PatchListQueue.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/openMainWindow.h"
#include "bench/childRun.h"
#include "library/VQAUUtils.h"
#include "pdpatch/patchGeometry.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Notes when the first frame that paints the watched widget with the list
// shown is complete (the event loop's next turn) and ends the event loop.
class FirstFrame : public QObject {
public:
    explicit FirstFrame(const PatchListQueue& lister) : lister_(lister) {}
    bool painted() const { return painted_; }
    Clock::time_point at() const { return at_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_ && !lister_.listing()) {
            seen_ = true;
            QTimer::singleShot(0, qApp, [this] {
                at_ = Clock::now();
                painted_ = true;
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const PatchListQueue& lister_;
    bool seen_ = false;
    bool painted_ = false;
    Clock::time_point at_;
};

// Qt warns without a runtime folder of the user's own, the window keeps its
// size in the settings folder, and an install may put an earlier copy in the
// trash: all three are the benchmark's own.
void provideScratchFolders() {
    const fs::path scratch = fs::temp_directory_path() / "veltrano-window-bench";
    for (const char* variable : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        const fs::path folder = scratch / variable;
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all);
        setenv(variable, folder.c_str(), 1);
    }
}

int rowOf(const QAbstractItemView& list, const QString& name) {
    const QAbstractItemModel& rows = *list.model();
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (rows.index(row, 0).data().toString() == name) return row;
    }
    return -1;
}

// The slowest keystroke of typing `text` and erasing it again, or -1 when
// the search did not narrow the list.
double slowestKeystroke(QLineEdit& searchField, QAbstractItemView& list, const QString& text) {
    const int allRows = list.model()->rowCount();
    double slowest = 0;
    int narrowest = allRows;
    auto press = [&](int key, const QString& typed) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, typed);
        const Clock::time_point before = Clock::now();
        QApplication::sendEvent(&searchField, &event);
        list.viewport()->repaint();
        slowest = std::max(slowest, secondsBetween(before, Clock::now()));
        narrowest = std::min(narrowest, list.model()->rowCount());
    };
    for (const QChar c : text) press(0, QString(c));
    for (qsizetype erased = 0; erased < text.size(); ++erased) press(Qt::Key_Backspace, {});
    const bool narrowed = narrowest < allRows && list.model()->rowCount() == allRows;
    return narrowed ? slowest : -1;
}

// From making the patch folder until the list shows it, or -1 when it does
// not within ten seconds.
double untilShown(QAbstractItemView& list, const std::string& name) {
    const QString shownName = QString::fromStdString(name);
    Clock::time_point shownAt;
    bool shown = false;
    QObject::connect(list.model(), &QAbstractItemModel::modelReset, qApp, [&] {
        if (shown || rowOf(list, shownName) < 0) return;
        shownAt = Clock::now();
        shown = true;
        QCoreApplication::quit();
    });
    QTimer::singleShot(10000, qApp, &QCoreApplication::quit);
    const Clock::time_point madeAt = Clock::now();
    const std::string folder = std::string(EFFECTS_DIR) + "/" + name;
    fs::create_directory(folder);
    std::ofstream(folder + "/" + name + ".pd") << "#X obj 10 10 dac~;\n";
    QCoreApplication::exec();
    return shown ? secondsBetween(madeAt, shownAt) : -1;
}

// When the benchmark started this program, as it said, or else now: the
// wait of a user who starts the importer includes the loading of its
// libraries, before main() runs.
Clock::time_point launchedAt() {
    const char* launched = std::getenv(kLaunchedAtVariable);
    if (!launched) return Clock::now();
    return Clock::time_point(Clock::duration(std::strtoll(launched, nullptr, 10)));
}

// An event with the time it was posted at.
class StampedEvent : public QEvent {
public:
    static inline const QEvent::Type kType = static_cast<QEvent::Type>(QEvent::registerEventType());
    StampedEvent() : QEvent(kType), postedAt(Clock::now()) {}
    const Clock::time_point postedAt;
};

// Notes the longest wait of the stamped events the watched object handles.
class LongestWait : public QObject {
public:
    double seconds() const { return longest_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != StampedEvent::kType) return QObject::eventFilter(watched, event);
        const auto& stamped = static_cast<const StampedEvent&>(*event);
        longest_ = std::max(longest_, secondsBetween(stamped.postedAt, Clock::now()));
        return true;
    }

private:
    double longest_ = 0;
};

// Posts a stamped event to `window` every 5 ms while it lives.
class Prober {
public:
    explicit Prober(QObject& window)
        : thread_([this, &window] {
              while (probing_) {
                  QCoreApplication::postEvent(&window, new StampedEvent);
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~Prober() {
        probing_ = false;
        thread_.join();
    }
    Prober(const Prober&) = delete;
    Prober& operator=(const Prober&) = delete;

private:
    std::atomic<bool> probing_ = true;
    std::thread thread_;
};

// Installs the folder the way Add… does and returns the seconds until the
// window has shown the result, or -1 when the patch was not installed.
// Without a worker the install runs on the spot, on the window's thread.
double install(MainWindow& window, VQ_ImporterAppDelegate& controller, const std::string& folder,
               bool throughWorker) {
    LibraryQueue& queue = window.libraryQueue();
    if (!throughWorker) controller.setLibraryWorker(nullptr);
    QObject::connect(&queue, &LibraryQueue::requestFinished, qApp, [&queue] {
        if (!queue.busy()) QCoreApplication::quit();
    });
    const Clock::time_point start = Clock::now();
    window.installPaths({QString::fromStdString(folder)});
    if (queue.busy()) QCoreApplication::exec();
    const double seconds = secondsBetween(start, Clock::now());
    const std::string name = fs::path(folder).filename();
    return fs::exists(std::string(EFFECTS_DIR) + "/" + name + "/" + name + ".pd") ? seconds : -1;
}

// The longest an event posted to the window every 5 ms waited while `work`
// ran, or -1 when the work failed (returned less than 0).
double longestWaitDuring(MainWindow& window, const std::function<double()>& work) {
    LongestWait longest;
    window.installEventFilter(&longest);
    double result = 0;
    {
        const Prober prober(window);
        result = work();
    }
    // The last events posted are handled too.
    QCoreApplication::sendPostedEvents(&window, StampedEvent::kType);
    return result < 0 ? -1 : longest.seconds();
}

// Runs the window until its list is shown and its check of the library is
// done: 0, or -1 after a minute.
double untilChecked(MainWindow& window) {
    const QDeadlineTimer deadline(60000);
    while ((window.patchLister().listing() || window.patchChecker().checking()) &&
           !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return deadline.hasExpired() ? -1 : 0;
}

// A patch of `boxes` boxes on a grid, objects, messages and atoms in turn,
// with half as many connections again, signal and control.
std::string generatedPatch(int boxes) {
    static const char* const kBoxes[] = {"obj %d %d osc~ 440", "obj %d %d *~ 0.25",
                                         "msg %d %d set \\$1 2", "floatatom %d %d 5 0 0 0 - - -"};
    std::string text = "#N canvas 0 0 1200 800 10;\n";
    char record[96];
    for (int i = 0; i < boxes; ++i) {
        std::snprintf(record, sizeof record, kBoxes[i % 4], (i % 40) * 90, (i / 40) * 60);
        text += std::string("#X ") + record + ";\n";
    }
    for (int k = 0; k < boxes * 3 / 2; ++k) {
        const int from = k % boxes;
        const int to = (from + 1 + k / boxes * 40) % boxes;
        std::snprintf(record, sizeof record, "#X connect %d 0 %d %d;\n", from, to, k % 2);
        text += record;
    }
    return text;
}

double frameTime(int boxes) {
    const std::vector<pdpatch::CanvasLayout> canvases =
        pdpatch::layOutPatch(pdpatch::readPatch(generatedPatch(boxes)), "Generated");
    PatchCanvasView view;
    view.setCanvas(&canvases[0]);
    // The whole patch fits: every box is painted.
    view.fitIn(QSize(800, 600));
    QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
    view.render(&frame);
    // The median: on a busy machine the slowest frame is the one the
    // scheduler interrupted, whatever its size.
    std::vector<double> frames;
    for (int i = 0; i < 11; ++i) {
        const Clock::time_point from = Clock::now();
        view.render(&frame);
        frames.push_back(secondsBetween(from, Clock::now()));
    }
    std::nth_element(frames.begin(), frames.begin() + 5, frames.end());
    return frames[5];
}

// The name of the storm's patch folder `number`.
std::string stormName(long number) {
    return "Storm-" + std::to_string(number);
}

// The storm: for `seconds`, 1,000 times a second, a patch folder is made
// among the effects and the one made 50 before it removed, so 50 are left
// at the end. Made by the clock: a late step is caught up at once. Making a
// file is slow on some file systems, so each main patch is a hard link to
// one hidden file beside the folders.
int makeStorm(double seconds) {
    constexpr long kPerSecond = 1000;
    constexpr long kAlive = 50;
    const std::string effects = EFFECTS_DIR;
    const std::string patch = effects + "/.storm.pd";
    std::ofstream(patch) << "#X obj 10 10 dac~;\n";
    const Clock::time_point start = Clock::now();
    long made = 0;
    for (;;) {
        const double elapsed = secondsBetween(start, Clock::now());
        if (elapsed >= seconds) break;
        const long due = static_cast<long>(elapsed * kPerSecond) + 1;
        if (made >= due) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        const std::string folder = effects + "/" + stormName(made);
        if (mkdir(folder.c_str(), 0755) != 0 ||
            link(patch.c_str(), (folder + "/" + stormName(made) + ".pd").c_str()) != 0)
            return 1;
        if (made >= kAlive) {
            const std::string gone = effects + "/" + stormName(made - kAlive);
            if (unlink((gone + "/" + stormName(made - kAlive) + ".pd").c_str()) != 0 ||
                rmdir(gone.c_str()) != 0)
                return 1;
        }
        ++made;
    }
    const double rate = static_cast<double>(made) / secondsBetween(start, Clock::now());
    std::fprintf(stderr, "storm: %ld patch folders made and %ld removed, %.0f a second\n", made,
                 std::max(0L, made - kAlive), rate);
    return 0;
}

// The names of the patch folders among the effects on disk.
QSet<QString> effectsOnDisk() {
    QSet<QString> names;
    for (const auto& entry : fs::directory_iterator(EFFECTS_DIR)) {
        const std::string name = entry.path().filename();
        std::error_code ignored;
        if (!name.starts_with(".") && fs::is_regular_file(entry.path() / (name + ".pd"), ignored))
            names.insert(QString::fromStdString(name));
    }
    return names;
}

QSet<QString> namesListed(const QAbstractItemView& list) {
    QSet<QString> names;
    const QAbstractItemModel& rows = *list.model();
    for (int row = 0; row < rows.rowCount(); ++row)
        names.insert(rows.index(row, 0).data().toString());
    return names;
}

// Runs the event loop for `milliseconds`.
void runFor(int milliseconds) {
    QTimer::singleShot(milliseconds, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

// The longest an event posted to the window waited while another process
// made and removed patch folders among the effects for `seconds`, or -1 when
// the list 1 s after did not show exactly the folders on disk.
double longestWaitDuringStorm(MainWindow& window, const QAbstractItemView& list, double seconds) {
    LongestWait longest;
    window.installEventFilter(&longest);
    QProcess storm;
    storm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    {
        const Prober prober(window);
        QObject::connect(&storm, &QProcess::finished, qApp, &QCoreApplication::quit);
        storm.start(QCoreApplication::applicationFilePath(),
                    {"--make-storm", QString::number(seconds)});
        QCoreApplication::exec();
        QCoreApplication::sendPostedEvents(&window, StampedEvent::kType);
    }
    if (storm.exitStatus() != QProcess::NormalExit || storm.exitCode() != 0) {
        std::fprintf(stderr, "the storm did not run\n");
        return -1;
    }
    runFor(1000);
    const QSet<QString> onDisk = effectsOnDisk();
    const QSet<QString> listed = namesListed(list);
    if (listed != onDisk) {
        std::fprintf(stderr,
                     "1 s after the storm the list shows %lld folders, %lld of them not "
                     "on disk, and misses %lld of the %lld on disk\n",
                     static_cast<long long>(listed.size()),
                     static_cast<long long>((listed - onDisk).size()),
                     static_cast<long long>((onDisk - listed).size()),
                     static_cast<long long>(onDisk.size()));
        return -1;
    }
    return longest.seconds();
}

}  // namespace

int main(int argc, char* argv[]) {
    const Clock::time_point start = launchedAt();
    if (argc == 3 && std::string_view(argv[1]) == "--make-storm")
        return makeStorm(std::strtod(argv[2], nullptr));
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    provideScratchFolders();
    QApplication app(argc, argv);
    const std::string mode = argc >= 2 ? argv[1] : "";
    const std::string argument = argc == 3 ? argv[2] : "";
    const bool knownMode = mode == "--select" || mode == "--search" || mode == "--appear" ||
                           mode == "--install" || mode == "--install-on-the-spot" ||
                           mode == "--answer-during-install" || mode == "--draw" ||
                           mode == "--storm";
    if (argc != 1 && !(argc == 3 && knownMode) && !(argc == 2 && mode == "--answer-during-check")) {
        std::fprintf(stderr,
                     "usage: %s [--select NAME | --search TEXT | --appear NAME | --install FOLDER "
                     "| --install-on-the-spot FOLDER | --answer-during-install FOLDER "
                     "| --draw BOXES | --storm SECONDS | --answer-during-check]\n",
                     argv[0]);
        return 2;
    }
    if (mode == "--draw") {
        std::printf("%.9f\n", frameTime(std::atoi(argument.c_str())));
        return 0;
    }

    VQ_ImporterAppDelegate controller;
    const std::unique_ptr<MainWindow> window = openMainWindow(controller);
    if (mode == "--answer-during-check") {
        const double seconds = longestWaitDuring(*window, [&] { return untilChecked(*window); });
        if (seconds < 0) {
            std::fprintf(stderr, "the library's check did not end within a minute\n");
            return 1;
        }
        std::printf("%.9f\n", seconds);
        return 0;
    }
    auto* patches = window->findChild<QAbstractItemView*>("patches");
    auto* searchField = window->findChild<QLineEdit*>("searchField");
    if (!patches || !searchField) {
        std::fprintf(stderr, "the window has no patches table or search field\n");
        return 1;
    }
    if (mode == "--select") {
        while (window->patchLister().listing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const int row = rowOf(*patches, QString::fromStdString(argument));
        if (row < 0) {
            std::fprintf(stderr, "no effect named %s\n", argument.c_str());
            return 1;
        }
        patches->setCurrentIndex(patches->model()->index(row, 0));
    }
    FirstFrame firstFrame(window->patchLister());
    patches->viewport()->installEventFilter(&firstFrame);
    // A window that never paints would otherwise keep the benchmark waiting.
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();
    if (!firstFrame.painted()) {
        std::fprintf(stderr, "the patches table was never painted\n");
        return 1;
    }

    double seconds = secondsBetween(start, firstFrame.at());
    if (mode == "--search")
        seconds = slowestKeystroke(*searchField, *patches, QString::fromStdString(argument));
    else if (mode == "--appear")
        seconds = untilShown(*patches, argument);
    else if (mode == "--install" || mode == "--install-on-the-spot")
        seconds = install(*window, controller, argument, mode == "--install");
    else if (mode == "--answer-during-install")
        seconds = longestWaitDuring(*window,
                                    [&] { return install(*window, controller, argument, true); });
    else if (mode == "--storm")
        seconds = longestWaitDuringStorm(*window, *patches, std::strtod(argument.c_str(), nullptr));
    if (seconds < 0) {
        std::fprintf(stderr, "the list did not show what %s asked for\n", mode.c_str());
        return 1;
    }
    std::printf("%.9f\n", seconds);
    return 0;
}
