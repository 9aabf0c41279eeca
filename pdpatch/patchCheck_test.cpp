#include "pdpatch/patchCheck.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "testing/ScratchDir.h"

namespace pdpatch {
namespace {

using testing_support::ScratchDir;

constexpr const char* kCanvas = "#N canvas 0 0 450 300 12;\n";

// The findings' lines, the scratch folder's path taken out.
std::string lines(const std::vector<Finding>& findings, const ScratchDir& scratch) {
    std::string out;
    for (const Finding& finding : findings)
        out += findingLine(finding).substr(scratch.root().size() + 1) + "\n";
    return out;
}

TEST(PatchCheck, FindsWhatKeepsAPatchFromWorking) {
    const struct {
        std::map<std::string, std::string> files;
        const char* checked;  // a folder, or a file when it ends in .pd
        const char* expected;
    } cases[] = {
        {{{"E/E.pd", std::string(kCanvas) + "#X obj 1 1 adc~;\n#X obj 1 2 dac~;\n"}}, "E", ""},
        {{{"M/other.pd", kCanvas}}, "M",
         "M/M.pd:1: error: no-main-patch: M.pd is missing or cannot be read; the host cannot "
         "load the patch\n"},
        {{{"N/N.pd", "#X obj 1 1 dac~;\n"}}, "N/",
         "N/N.pd:1: error: no-main-patch: N.pd is not a Pd patch (it does not begin with #N "
         "canvas); the host cannot load it\n"},
        // Abstractions beside the patch and under a declared path are
        // checked too (once, however often they are used); externals count.
        {{{"U/U.pd", std::string(kCanvas) +
                         "#X declare -path lib;\n#X obj 1 1 adc~;\n#X obj 1 2 freeverb~ 1;\n"
                         "#X obj 1 3 mine;\n#X obj 1 4 ext~;\n#X obj 1 5 deep;\n"
                         "#X obj 1 6 mine;\n#X obj 1 7 $1-x;\n#X obj 1 8 5;\n"},
          {"U/mine.pd", std::string(kCanvas) + "#X obj 1 1 zzz;\n#X obj 1 1 mine;\n"},
          {"U/ext~.pd_linux", ""},
          {"U/lib/deep.pd", std::string(kCanvas) + "#X obj 1 1 dac~;\n#X obj 1 1 ext~;\n"}},
         "U",
         "U/U.pd:4: warning: unknown-object: freeverb~ is not part of Pd vanilla and not in the "
         "patch's folder; the host may fail to create it\n"
         "U/mine.pd:2: warning: unknown-object: zzz is not part of Pd vanilla and not in the "
         "patch's folder; the host may fail to create it\n"
         "U/lib/deep.pd:3: warning: unknown-object: ext~ is not part of Pd vanilla and not in "
         "the patch's folder; the host may fail to create it\n"},
        // A file checked on its own; only text says notein.
        {{{"I/x.pd", std::string(kCanvas) + "#X text 1 1 plays notein style;\n"
                                            "#X obj 1 1 t b;\n#X connect 0 0 2 0;\n"}},
         "I/x.pd",
         "I/x.pd:1: warning: no-audio-out: there is no dac~ in the patch, its subpatches or its "
         "abstractions; the host will hear nothing\n"
         "I/x.pd:1: note: notein-in-text: the patch counts as an instrument only because a "
         "comment or message mentions notein; it has no notein object to receive notes\n"
         "I/x.pd:4: warning: broken-connection: a connection names a box this canvas does not "
         "have (the file may be damaged); the host leaves it out\n"},
        {{{"P/P.pd", std::string(kCanvas) +
                         "#X obj 1 1 notein;\n#N canvas 0 0 1 1 s 0;\n#X obj 1 1 dac~;\n"
                         "#X restore 1 1 pd s;\n"
                         "#X text 12 40 param cut slider 20 800 900 Hz;\n"
                         "#X text 12 40 param cut float 5 1 3;\n"
                         "#X text 12 40 param mix int 0 1 0.5;\n#X text 12 40 param bad;\n"}},
         "P",
         "P/P.pd:6: warning: param-range: cut has the default 900, outside its range 20 to 800; "
         "the host starts it out of range\n"
         "P/P.pd:7: warning: param-duplicate: cut is declared again (first on line 6); the "
         "host can show only one of them\n"
         "P/P.pd:7: warning: param-range: cut has its minimum 5 above its maximum 1; the host "
         "cannot offer a range\n"
         "P/P.pd:9: warning: param-format: this param comment lacks a name or a type (#X text X "
         "Y param NAME TYPE MIN MAX DEFAULT); the host ignores it\n"},
        {{{"F/F.pd", std::string(kCanvas) + "#X obj 1 1 dac~;\n"}}, "F",
         "F/F.pd:1: note: effect-without-input: the patch counts as an effect but has no adc~; "
         "it does not hear the sound the host sends it\n"},
    };
    for (const auto& c : cases) {
        const ScratchDir scratch;
        for (const auto& [path, content] : c.files) scratch.writeFile(path, content);
        const std::string checked = scratch.path(c.checked);
        EXPECT_EQ(lines(checked.ends_with(".pd") ? checkPatchFile(checked)
                                                 : checkPatchFolder(checked),
                        scratch),
                  c.expected)
            << c.checked;
    }
}

TEST(PatchCheck, StampChangesWithThePatchFiles) {
    const ScratchDir scratch;
    scratch.writeFile("S/S.pd", kCanvas);
    const std::string folder = scratch.path("S");
    const std::uint64_t first = patchStamp(folder);
    EXPECT_EQ(patchStamp(folder), first);
    scratch.writeFile("S/sub/a.pd", kCanvas);
    const std::uint64_t added = patchStamp(folder);
    EXPECT_NE(added, first);
    scratch.writeFile("S/sub/a.pd", std::string(kCanvas) + "#X obj 1 1 dac~;\n");
    EXPECT_NE(patchStamp(folder), added);
}

}  // namespace
}  // namespace pdpatch
