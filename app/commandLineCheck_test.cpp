// veltrano-importer --check, run as users run it: the test build of the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "library/VQAUUtils.h"
#include "testing/ArchiveWriter.h"
#include "testing/ChildProcess.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

using namespace testing_support;

namespace {

// The program's exit status and its standard output, run in `folder`.
std::pair<int, std::string> check(const ScratchDir& folder, std::vector<std::string> arguments) {
    std::vector<char*> argv{const_cast<char*>(VELTRANO_TEST_IMPORTER),
                            const_cast<char*>("--check")};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string output = folder.path("out");
    const int status = runInChild([&] {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (chdir(folder.root().c_str()) != 0 || dup2(out, STDOUT_FILENO) < 0) return 126;
        alarm(60);  // outlives exec: a check that never ends is ended
        execv(argv[0], argv.data());
        return 127;
    });
    return {status, readFile(output)};
}

TEST(CommandLineCheck, PrintsOneLinePerFindingAndFailsOnErrors) {
    const ScratchLibrary library(false);  // the library's parent, without the library
    const ScratchDir scratch;
    const std::string effect = "#N canvas 0 0 1 1 10;\n#X obj 1 1 adc~;\n#X obj 1 2 dac~;\n";
    scratch.writeFile("Verb/Verb.pd", effect + "#X obj 1 3 freeverb~ 0.5;\n");
    scratch.writeFile("Good/Good.pd", effect);
    scratch.writeFile("loose.pd", "not a patch");
    writeArchive(scratch.path("Pack.zip"), {{"Pack/", "", ArchiveEntry::folder},
                                            {"Pack/Pack.pd", effect + "#X obj 1 3 moog~;\n"}});
    writeArchive(scratch.path("Empty.tar"), {{"readme.txt", "nothing"}});
    const std::string unknown = ": warning: unknown-object: ";
    const std::string sentence =
        " is not part of Pd vanilla and not in the patch's folder; the host may fail to create it\n";
    const struct {
        std::vector<std::string> paths;
        int status;
        std::string output;
    } cases[] = {
        {{"Verb", "Good"}, 0, "Verb/Verb.pd:4" + unknown + "freeverb~" + sentence},
        {{"Pack.zip", "loose.pd"},
         1,
         "Pack.zip/Pack/Pack.pd:4" + unknown + "moog~" + sentence +
             "loose.pd:1: error: no-main-patch: loose.pd is not a Pd patch (it does not begin "
             "with #N canvas); the host cannot load it\n"},
        {{"Empty.tar"},
         1,
         "Empty.tar:1: error: no-main-patch: no patch folder and no \"Empty.pd\" at the top; "
         "the host cannot load anything from it\n"},
        {{}, 2, ""},
    };
    for (const auto& c : cases) {
        const auto [status, output] = check(scratch, c.paths);
        EXPECT_EQ(status, c.status) << output;
        EXPECT_EQ(output, c.output);
    }
    EXPECT_FALSE(std::filesystem::exists(BASE_DIR));
}

}  // namespace
