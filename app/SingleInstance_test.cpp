// Two real importers at once, on the offscreen platform: the test build of the
// program, whose library folder lies under the build tree.

#include "app/SingleInstance.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTest>
#include <QUrl>

#include "app/openRequestMessage.h"
#include "library/VQAUUtils.h"
#include "testing/ChildProcess.h"
#include "testing/GatedCopy.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

using namespace testing_support;

namespace {
// Safety nets against a hang, never measures: sanitizer builds start slowly.
constexpr int kPatienceMs = 60000;

bool someoneListens() {
    QLocalSocket probe;
    probe.connectToServer(SingleInstance::serverName(BASE_DIR));
    return probe.waitForConnected(1000);
}

bool installedInTime(const std::string& name) {
    return QTest::qWaitFor([&] { return pathExists(kEffects + "/" + name + "/" + name + ".pd"); },
                           kPatienceMs);
}

// The test build of the program in a forked child; killed when the object goes
// (like a crash, with no chance to remove its socket) unless waited for.
std::unique_ptr<StartedChild> startImporter(const std::string& workingDir,
                                            std::vector<std::string> arguments) {
    // Built before the fork: the child only changes folder and runs the program.
    std::vector<char*> argv{const_cast<char*>(VELTRANO_TEST_IMPORTER)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return std::make_unique<StartedChild>([&] {
        if (chdir(workingDir.c_str()) != 0) return 126;
        alarm(kPatienceMs / 1000);  // outlives exec: a start that never ends is ended
        execv(argv[0], argv.data());
        return 127;
    });
}

int startAgain(const std::string& workingDir, const std::vector<std::string>& arguments) {
    return startImporter(workingDir, arguments)->wait();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    // A killed importer leaves its socket behind.
    ~SingleInstanceTest() override {
        QLocalServer::removeServer(SingleInstance::serverName(BASE_DIR));
    }

    ScratchLibrary library;
    ScratchDir firstDir, secondDir;
};
}  // namespace

TEST_F(SingleInstanceTest, ALaterStartHandsItsPathsToTheRunningImporterAndEnds) {
    GatedCopy cp;
    std::unique_ptr<StartedChild> first;
    for (int start = 0; start < 2; ++start) {  // the first, killed, leaves its socket behind
        first.reset();
        first = startImporter(firstDir.root(), {});
        ASSERT_TRUE(QTest::qWaitFor(someoneListens, kPatienceMs));
    }

    // Relative, so it names the file only in the later start's working folder;
    // with a space and a byte that is no UTF-8.
    const std::string name = "Pad\xe9 one";
    secondDir.writeFile(name + ".pd", kEffect);
    EXPECT_EQ(startAgain(secondDir.root(), {name + ".pd"}), 0);
    EXPECT_TRUE(installedInTime(name));

    // File managers hand over file URLs, escaped once: each names its file
    // exactly, a "%" in the name included.
    std::vector<std::string> urls;
    for (const char* file : {"a%41.pd", "My Bass.pd"})
        urls.push_back(
            QUrl::fromLocalFile(QString::fromStdString(secondDir.writeFile(file, kEffect)))
                .toEncoded()
                .toStdString());
    EXPECT_EQ(startAgain(firstDir.root(), urls), 0);
    EXPECT_TRUE(installedInTime("a%41") && installedInTime("My Bass"));

    // A sender that gives up before the running importer answers reports a
    // failure; its request must then not be installed either.
    {
        QLocalSocket sender;
        sender.connectToServer(SingleInstance::serverName(BASE_DIR));
        ASSERT_TRUE(sender.waitForConnected(kPatienceMs));
        sender.write(encodeOpenRequest({secondDir.writeFile("Gone.pd", kEffect)}, ""));
        ASSERT_TRUE(sender.waitForReadyRead(kPatienceMs));
        EXPECT_EQ(sender.readAll(), "1");
    }

    // A hand-over is taken at once even while an install runs; its paths
    // are installed after that install.
    secondDir.writeFile("Gated/Gated.pd", kEffect);
    secondDir.writeFile("Kept/Kept.pd", kEffect);
    EXPECT_EQ(startAgain(secondDir.root(), {"Gated"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cp.holdsGated(); }, kPatienceMs));
    EXPECT_EQ(startAgain(secondDir.root(), {"Kept"}), 0);
    EXPECT_FALSE(pathExists(kEffects + "/Kept"));
    cp.openGate();
    EXPECT_TRUE(installedInTime("Kept"));
    EXPECT_TRUE(pathExists(kEffects + "/Gated/Gated.pd"));
    EXPECT_TRUE(cp.log().ends_with(secondDir.path("Gated") + "\n" + secondDir.path("Kept") + "\n"));
    EXPECT_FALSE(pathExists(kEffects + "/Gone"));

    // Without paths, a later start only brings the window to the front.
    EXPECT_EQ(startAgain(secondDir.root(), {}), 0);
    EXPECT_TRUE(someoneListens());

    // With no display it says so and ends, unless "-platform" names one.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        unsetenv(variable);
    EXPECT_EQ(startAgain(secondDir.root(), {}), 1);
    EXPECT_EQ(startAgain(secondDir.root(), {"-platform", "offscreen"}), 0);
    qputenv("QT_QPA_PLATFORM", platform);
}
