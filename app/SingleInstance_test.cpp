// Two real importers at once, on the offscreen platform: the test build of the
// program, whose library folder lies under the build tree.

#include "app/SingleInstance.h"
#include "app/openRequestMessage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QUrl>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <functional>

#include "library/VQAUUtils.h"
#include "testing/ChildProcess.h"
#include "testing/GatedCopy.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace {
const char* const kEffect = "#N canvas 0 0 450 300 10;\n#X obj 10 10 dac~;\n";
// Safety nets against a hang, never measures: sanitizer builds start slowly.
constexpr int kPatienceMs = 60000;
constexpr unsigned kPatienceSeconds = 60;

bool eventually(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(kPatienceMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

bool someoneListens() {
    QLocalSocket probe;
    probe.connectToServer(SingleInstance::serverName(BASE_DIR));
    return probe.waitForConnected(1000);
}

// The importer that runs first, in a working folder of its own; killed when
// the test ends, however it ends.
class FirstImporter {
public:
    explicit FirstImporter(const std::string& workingDir) {
        process_.setWorkingDirectory(QString::fromStdString(workingDir));
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(VELTRANO_TEST_IMPORTER, QStringList{});
        process_.waitForStarted();
    }
    ~FirstImporter() { kill(); }
    FirstImporter(const FirstImporter&) = delete;
    FirstImporter& operator=(const FirstImporter&) = delete;

    bool running() {
        process_.waitForFinished(0);  // takes note of an end not noticed yet
        return process_.state() == QProcess::Running;
    }
    bool startsListening() {
        return eventually([this] { return someoneListens() || !running(); }) && running();
    }
    // Like a crash: the importer gets no chance to remove its socket.
    void kill() {
        process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
};

// Runs the program once more, in `workingDir` with `arguments` (any bytes),
// and returns its exit status.
int startAgain(const std::string& workingDir, std::vector<std::string> arguments) {
    // Built before the fork: the child only changes folder and runs the program.
    std::vector<char*> argv{const_cast<char*>(VELTRANO_TEST_IMPORTER)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return testing_support::runInChild([&] {
        if (chdir(workingDir.c_str()) != 0) return 126;
        // The alarm outlives exec: a start that never ends is ended by it.
        alarm(kPatienceSeconds);
        execv(argv[0], argv.data());
        return 127;
    });
}

class SingleInstanceTest : public ::testing::Test {
protected:
    ~SingleInstanceTest() override {
        // A killed importer leaves its socket behind.
        QLocalServer::removeServer(SingleInstance::serverName(BASE_DIR));
    }

    static std::string installedEffect(const std::string& name) {
        return std::string(EFFECTS_DIR) + "/" + name + "/" + name + ".pd";
    }

    testing_support::ScratchLibrary library;
    testing_support::ScratchDir firstDir;
    testing_support::ScratchDir secondDir;
};
}  // namespace

TEST_F(SingleInstanceTest, ALaterStartHandsItsPathsToTheRunningImporterAndEnds) {
    FirstImporter first(firstDir.root());
    ASSERT_TRUE(first.startsListening());

    // Relative, so it names the file only in the later start's working folder;
    // with a space and a byte that is no UTF-8.
    const std::string name = "Pad\xe9 one";
    secondDir.writeFile(name + ".pd", kEffect);
    EXPECT_EQ(startAgain(secondDir.root(), {name + ".pd"}), 0);
    EXPECT_TRUE(eventually([&] { return testing_support::pathExists(installedEffect(name)); }));

    // File managers hand over file URLs, escaped once: each names its file
    // exactly, a "%" in the name included.
    std::vector<std::string> urls;
    for (const char* file : {"a%41.pd", "My Bass.pd"})
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(secondDir.writeFile(file, kEffect)))
                           .toEncoded()
                           .toStdString());
    EXPECT_EQ(startAgain(firstDir.root(), urls), 0);
    EXPECT_TRUE(eventually([&] {
        return testing_support::pathExists(installedEffect("a%41")) &&
               testing_support::pathExists(installedEffect("My Bass"));
    }));

    // Without paths, a later start only brings the window to the front.
    EXPECT_EQ(startAgain(secondDir.root(), {}), 0);
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(someoneListens());
}

// A later start that gives up before the running importer answers reports a
// failure; its request must then not be installed either.
TEST_F(SingleInstanceTest, ARequestItsSenderNeverConfirmedIsNotInstalled) {
    FirstImporter first(firstDir.root());
    ASSERT_TRUE(first.startsListening());
    {
        QLocalSocket sender;
        sender.connectToServer(SingleInstance::serverName(BASE_DIR));
        ASSERT_TRUE(sender.waitForConnected(kPatienceMs));
        sender.write(encodeOpenRequest({secondDir.writeFile("Gone.pd", kEffect)}, ""));
        ASSERT_TRUE(sender.waitForReadyRead(kPatienceMs));
        EXPECT_EQ(sender.readAll(), "1");
    }  // gone without confirming
    // A confirmed request after it is installed, so the first had its chance.
    EXPECT_EQ(startAgain(secondDir.root(), {secondDir.writeFile("Kept.pd", kEffect)}), 0);
    EXPECT_TRUE(eventually([&] { return testing_support::pathExists(installedEffect("Kept")); }));
    EXPECT_FALSE(testing_support::pathExists(installedEffect("Gone")));
}

TEST_F(SingleInstanceTest, AStartAfterACrashTakesTheSocketLeftBehind) {
    {
        FirstImporter crashed(firstDir.root());
        ASSERT_TRUE(crashed.startsListening());
    }
    ASSERT_TRUE(QFileInfo::exists(SingleInstance::serverName(BASE_DIR)));

    FirstImporter next(firstDir.root());
    ASSERT_TRUE(next.startsListening());
    EXPECT_EQ(startAgain(secondDir.root(), {secondDir.writeFile("Echo.pd", kEffect)}), 0);
    EXPECT_TRUE(eventually([&] { return testing_support::pathExists(installedEffect("Echo")); }));
    EXPECT_TRUE(next.running());
}

// The running importer takes a hand-over at once even while it installs: the
// later start ends with 0 while the install before it still runs, and its
// paths are installed after that install.
TEST_F(SingleInstanceTest, ALaterStartDuringALongInstallEndsAtOnceAndItsPathsFollow) {
    testing_support::ScratchDir scratch;
    testing_support::GatedCopy cp(scratch);
    FirstImporter first(firstDir.root());
    ASSERT_TRUE(first.startsListening());
    const std::string gated = secondDir.makeDir("Gated");
    secondDir.writeFile("Gated/Gated.pd", kEffect);
    const std::string kept = secondDir.makeDir("Kept");
    secondDir.writeFile("Kept/Kept.pd", kEffect);

    EXPECT_EQ(startAgain(secondDir.root(), {gated}), 0);
    ASSERT_TRUE(eventually([&] { return cp.holdsGated(); }));
    EXPECT_EQ(startAgain(secondDir.root(), {kept}), 0);
    EXPECT_FALSE(testing_support::pathExists(installedEffect("Kept")));
    ASSERT_TRUE(cp.openGate());
    EXPECT_TRUE(eventually([&] { return testing_support::pathExists(installedEffect("Kept")); }));
    EXPECT_TRUE(testing_support::pathExists(installedEffect("Gated")));
    EXPECT_EQ(cp.log(), gated + "\n" + kept + "\n");
}
