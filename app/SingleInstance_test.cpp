// Two real importers at once: the test build of the program, its library under the build tree.

#include "app/SingleInstance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTest>

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

// The program in a forked child, killed like a crash (its socket left) unless waited for;
// its standard output into the file `output` when one is named.
std::unique_ptr<StartedChild> start(const std::string& workingDir,
                                    std::vector<std::string> arguments,
                                    const std::string& output = {}) {
    std::vector<char*> argv{const_cast<char*>(VELTRANO_TEST_IMPORTER)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return std::make_unique<StartedChild>([&] {
        if (chdir(workingDir.c_str()) != 0) return 126;
        const int log = output.empty()
                            ? -1
                            : open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (log >= 0 && dup2(log, STDOUT_FILENO) < 0) return 126;
        alarm(kPatienceMs / 1000);  // outlives exec: a start that never ends is ended
        execv(argv[0], argv.data());
        return 127;
    });
}
}  // namespace

TEST(SingleInstanceTest, ALaterStartHandsItsPathsToTheRunningImporterAndEnds) {
    ScratchLibrary library;
    ScratchDir firstDir, secondDir;
    GatedCopy cp;
    std::unique_ptr<StartedChild> first;
    for (int round = 0; round < 2; ++round) {  // the first, killed, leaves its socket behind
        first.reset();
        first = start(firstDir.root(), {}, firstDir.path("log"));
        ASSERT_TRUE(QTest::qWaitFor(someoneListens, kPatienceMs));
    }

    // Relative to the later start's folder, with a space and a byte that is no UTF-8.
    const std::string name = "Pad\xe9 one";
    secondDir.writeFile(name + ".pd", kEffect);
    EXPECT_EQ(start(secondDir.root(), {name + ".pd"})->wait(), 0);
    EXPECT_TRUE(installedInTime(name));
    // Each log line reaches a log file as it is written, not when the program ends.
    EXPECT_NE(readFile(firstDir.path("log")).find(name + ".pd"), std::string::npos);

    // File managers hand over file URLs, escaped once: a "%" in a name stays itself.
    secondDir.writeFile("a%41.pd", kEffect);
    secondDir.writeFile("My Bass.pd", kEffect);
    const std::vector<std::string> urls = {"file://" + secondDir.path("a%2541.pd"),
                                           "file://" + secondDir.path("My%20Bass.pd")};
    EXPECT_EQ(start(firstDir.root(), urls)->wait(), 0);
    EXPECT_TRUE(installedInTime("a%41") && installedInTime("My Bass"));

    // A sender that gives up before the answer reports a failure: its request is not installed.
    {
        QLocalSocket sender;
        sender.connectToServer(SingleInstance::serverName(BASE_DIR));
        ASSERT_TRUE(sender.waitForConnected(kPatienceMs));
        sender.write(encodeOpenRequest({secondDir.writeFile("Gone.pd", kEffect)}, ""));
        ASSERT_TRUE(sender.waitForReadyRead(kPatienceMs));
        EXPECT_EQ(sender.readAll(), "1");
    }

    // A hand-over is taken at once during an install; its paths are installed after it.
    secondDir.writeFile("Gated/Gated.pd", kEffect);
    secondDir.writeFile("Kept/Kept.pd", kEffect);
    EXPECT_EQ(start(secondDir.root(), {"Gated"})->wait(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cp.holdsGated(); }, kPatienceMs));
    EXPECT_EQ(start(secondDir.root(), {"Kept"})->wait(), 0);
    EXPECT_FALSE(pathExists(kEffects + "/Kept"));
    cp.openGate();
    EXPECT_TRUE(installedInTime("Kept") && installedInTime("Gated"));
    EXPECT_TRUE(cp.log().ends_with(secondDir.path("Gated") + "\n" + secondDir.path("Kept") + "\n"));
    EXPECT_FALSE(pathExists(kEffects + "/Gone"));

    // Without paths, a later start only brings the window to the front.
    EXPECT_EQ(start(secondDir.root(), {})->wait(), 0);
    EXPECT_TRUE(someoneListens());

    // With no display it says so and ends, unless "-platform" names one.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        unsetenv(variable);
    EXPECT_EQ(start(secondDir.root(), {})->wait(), 1);
    EXPECT_EQ(start(secondDir.root(), {"-platform", "offscreen"})->wait(), 0);
    qputenv("QT_QPA_PLATFORM", platform);
    first.reset();
    QLocalServer::removeServer(SingleInstance::serverName(BASE_DIR));  // the killed one's socket
}
