// The check measured against Pd itself (Debian: puredata-core, puredata-extra):
// Pd opens each patch and says which boxes it "couldn't create".

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "pdpatch/patchCheck.h"
#include "pdpatch/vanillaClasses.h"
#include "testing/ScratchDir.h"

namespace pdpatch {
namespace {

using testing_support::ScratchDir;

constexpr const char* kCanvas = "#N canvas 0 0 450 300 12;\n";

// Skips when Pd is not installed, unless the run requires it (CI does).
#define REQUIRE_PD()                                                                         \
    do {                                                                                     \
        if (std::system("command -v pd >/dev/null 2>&1") == 0) break;                        \
        if (std::getenv("VELTRANO_REQUIRE_PD")) FAIL() << "pd is not installed";             \
        GTEST_SKIP() << "pd is not installed (Debian: puredata-core, puredata-extra)";       \
    } while (false)

// The classes Pd reports it couldn't create when it opens `patch`: Pd prints
// the box's text, then "... couldn't create". Pd's home and settings are in
// the scratch folder; a minute is far more than it needs.
std::set<std::string> notCreatedByPd(const ScratchDir& scratch, const std::string& patch) {
    const std::string log = scratch.path("pd.log");
    const std::string command =
        "cd " + scratch.root() + " && HOME=" + scratch.root() + " XDG_CONFIG_HOME=" +
        scratch.root() + " XDG_RUNTIME_DIR=" + scratch.root() +
        " timeout 60 pd -nogui -noprefs -noaudio -nomidi -stderr -open '" + patch +
        "' -send 'pd quit' >" + log + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::istringstream lines(testing_support::readFile(log));
    std::set<std::string> names;
    std::string line, previous;
    while (std::getline(lines, line)) {
        if (line.find("... couldn't create") != std::string::npos) {
            // The box's first atom as Pd prints it, its escapes undone.
            const std::size_t text = previous.find("): ");
            std::string name;
            for (std::size_t at = text == std::string::npos ? 0 : text + 3;
                 at < previous.size() && previous[at] != ' '; ++at)
                name += previous[at] == '\\' && at + 1 < previous.size() ? previous[++at]
                                                                           : previous[at];
            names.insert(name);
        }
        previous = line;
    }
    return names;
}

TEST(PdOracle, EveryListedClassIsCreatedByPd) {
    REQUIRE_PD();
    const ScratchDir scratch;
    std::string patch = kCanvas;
    for (const std::string_view name : vanillaClasses())
        patch += "#X obj 10 10 " + std::string(name) + ";\n";
    scratch.writeFile("all/all.pd", patch);
    EXPECT_EQ(notCreatedByPd(scratch, scratch.path("all/all.pd")), std::set<std::string>{});
}

TEST(PdOracle, UnknownObjectsAreWhatPdCannotCreate) {
    REQUIRE_PD();
    const std::map<std::string, std::string> corpus[] = {
        // Vanilla classes and aliases, GUI objects, extra objects; and
        // classes Pd does not have, also ones close to vanilla names.
        {{"A/A.pd", std::string(kCanvas) +
                        "#X obj 1 1 osc~ 440;\n#X obj 1 1 t b f;\n#X obj 1 1 list append 1;\n"
                        "#X obj 1 1 tgl 15 0 empty empty empty 17 7 0 10 -262144 -1 -1 0 1;\n"
                        "#X obj 1 1 hradio 15 1 0 8 empty empty empty 0 -8 0 10 -262144 -1 -1 0;\n"
                        "#X obj 1 1 bonk~;\n#X obj 1 1 sigmund~;\n#X obj 1 1 hilbert~;\n"
                        "#X obj 1 1 freeverb~;\n#X obj 1 1 Osc~;\n#X obj 1 1 zexy/abs~;\n"
                        "#X obj 1 1 list-drip;\n#X obj 1 1 expr $f1 + 1;\n#X obj 1 1 initbang;\n"
                        "#X obj 1 1 dac~, f 12;\n#X obj 1 1;\n#X obj 1 1 1;\n"}},
        // Abstractions beside the patch, in a subfolder and under a declared
        // path; inside them, what they cannot create; subpatches and graphs.
        {{"B/B.pd", std::string(kCanvas) +
                        "#X declare -path lib;\n#X obj 1 1 near;\n#X obj 1 1 sub/inner;\n"
                        "#X obj 1 1 far;\n#X obj 1 1 missing;\n#N canvas 0 0 1 1 s 0;\n"
                        "#X obj 1 1 moog~;\n#X obj 1 1 pd nested;\n#X restore 1 1 pd s;\n"
                        "#N canvas 0 0 1 1 (subpatch) 0;\n#X array t 2 float 0;\n#A 0 1 2;\n"
                        "#X restore 1 1 graph;\n"},
         {"B/near.pd", std::string(kCanvas) + "#X obj 1 1 near2;\n#X obj 1 1 lop~ 5;\n"},
         {"B/sub/inner.pd", std::string(kCanvas) + "#X obj 1 1 inner-unknown;\n"},
         {"B/lib/far.pd", std::string(kCanvas) + "#X obj 1 1 far-unknown;\n"}},
        // Escaped text: a class with an escaped space or semicolon, and
        // messages and comments that hold class names.
        {{"C/C.pd", std::string(kCanvas) +
                        "#X obj 1 1 my\\ obj;\n#X obj 1 1 semi\\;colon 1;\n"
                        "#X msg 1 1 freeverb~ \\; pd dsp 1;\n#X text 1 1 uses\\, moog~;\n"
                        "#X obj 1 1 print a\\;b;\n"}},
    };
    for (const auto& files : corpus) {
        const ScratchDir scratch;
        for (const auto& [path, content] : files) scratch.writeFile(path, content);
        const std::string main = scratch.path(files.begin()->first);
        std::set<std::string> unknown;
        for (const Finding& finding : checkPatchFile(main))
            if (finding.code == "unknown-object") unknown.insert(finding.subject);
        EXPECT_EQ(unknown, notCreatedByPd(scratch, main)) << files.begin()->first;
    }
}

}  // namespace
}  // namespace pdpatch
