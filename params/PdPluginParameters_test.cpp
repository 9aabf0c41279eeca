#include "params/PdPluginParameters.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include "testing/ChildProcess.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

using namespace testing_support;
using Records = std::vector<std::string>;

namespace {
// Each record as "name|type|min|max|default|extra".
Records recordsOf(const PdPluginParameters& parameters) {
    Records records;
    for (int i = 0; i < parameters.size(); ++i) {
        const VQParameter& p = *parameters.getParameter(i);
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "|%g|%g|%g|", p.min, p.max, p.defaultValue);
        records.push_back(p.name + "|" + p.type + numbers + p.extra);
    }
    return records;
}
}  // namespace

// Split keeps empty pieces but after the last delimiter. Tokens 5, 6: name, type; slider, int,
// float take min+max, default (else min), one extra; numbers read with a point, their leading
// numeric part, out of range infinite.
TEST(PdPluginParametersParse, ValuesDependOnTheTypeAndTheTokenCount) {
    PdPluginParameters splitter;
    EXPECT_EQ(splitter.split(" a  b ", ' '), (Records{"", "a", "", "b"}));
    EXPECT_EQ(splitter.split("", ' '), Records{});
    Records tokens{"kept"};
    EXPECT_EQ(&splitter.split("x,,y", ',', tokens), &tokens);
    EXPECT_EQ(tokens, (Records{"kept", "x", "", "y"}));
    const std::pair<std::string, std::string> lines[] = {
        {"gain float", "gain|float|0|1|0|"},
        {"gain float 5", "gain|float|0|1|0|"},
        {"gain float 2 5;", "gain|float|2|5|2|"},
        {"gain float 2 5 3;", "gain|float|2|5|3|"},
        {"n int 1 9 4 x ignored;", "n|int|1|9|4|x"},
        {"gain float;", "gain|float;|0|1|0|"},
        {"g Float 2 5 3 x;", "g|Float|0|1|0|"},
        {"g integer 2 5 3 x;", "g|integer|0|1|0|"},
        {"cutoff slider 20 800 440 Hz;", "cutoff|slider|20|800|440|Hz;"},
        // A doubled space shifts every field: the name becomes the type word.
        {" gain float 2 5 3;", "|gain|0|1|0|"},
        {"volume int -10 10 loud 3;", "volume|int|-10|10|0|3;"},
        {"v float 12abc 0.5; 1e2", "v|float|12|0.5|100|"},
        {"v float -1e39 1e39;", "v|float|-inf|inf|-inf|"},
        {"gain;", ""},  // refused: no type
    };
    for (const auto& [line, record] : lines) {
        PdPluginParameters parameters;
        const bool accepted = !record.empty();
        EXPECT_EQ(captureStdout([&] {
                      EXPECT_EQ(parameters.parseParameter("#X text 12 40 param " + line), accepted);
                  }),
                  accepted ? "" : "Wrong format\n\n");
        EXPECT_EQ(recordsOf(parameters), accepted ? Records{record} : Records{}) << line;
    }
}

// "#X text" lines with " param ", in file order, a CR kept; a load replaces the list; no
// regular main file, no parameters.
TEST(PdPluginParametersLoad, ReadsOnlyDeclarationLinesInFileOrder) {
    ScratchDir scratch;
    scratch.writeFile("Echo/Echo.pd",
                      "#N canvas 0 0 450 300 12;\n"
                      "#X text 12 40 param cutoff slider 20 800 440 Hz;\n"
                      " #X text 12 40 param indented float 1 2 3;\n"
                      "#X obj 12 40 param notext float 1 2 3;\n"
                      "#X text 12 40 param;\n"
                      "#X text 12 40 param short;\n"
                      "#X text 12 40 param long float 1\n"
                      "2 3;\n"
                      "#X text 12 40 a param b c;\n"
                      "#X text 1 2 param a float 1 2 3 Hz\r\n"
                      "#X text 1 2 param c float\r\n"
                      "#X text 12 40 param last int 1 2 3");
    scratch.writeFile("Stray/Other.pd", "#X text 1 2 param stray int 1 2 3;\n");
    scratch.makeDir("Dir/Dir.pd");
    scratch.makeDir("Fifo");
    mkfifo(scratch.path("Fifo/Fifo.pd").c_str(), 0644);
    PdPluginParameters parameters;
    const std::string echo = scratch.path("Echo/");
    EXPECT_EQ(captureStdout([&] { parameters.load(echo.c_str()); }), "Wrong format\n\n");
    EXPECT_EQ(recordsOf(parameters),
              (Records{"cutoff|slider|20|800|440|Hz;", "long|float|0|1|0|", "param|b|0|1|0|",
                       "a|float|1|2|3|Hz\r", "c|float\r|0|1|0|", "last|int|1|2|3|"}));
    for (const std::string folder : {"Stray", "Missing", "Dir", "Fifo", ""}) {
        parameters.load(scratch.path("Echo").c_str());
        parameters.load(folder.empty() ? "" : scratch.path(folder).c_str());
        EXPECT_EQ(parameters.size(), 0) << folder;
    }
}

// Line 2 of each file is `start` and holes up to `lineBytes`; a declaration follows. A line that
// can't be a declaration is passed over as it is read; a declaration line longer than 32 MiB is
// ignored with a line. The reader's peak memory, measured in a child, stays far below the longest
// line (96 MiB leaves room for the sanitizers' own bookkeeping).
TEST(PdPluginParametersLoad, LongLinesNeedBoundedMemory) {
    constexpr off_t kMiB = 1 << 20;
    const std::string declaration = "#X text 1 2 param ", first = "#N canvas;\n";
    struct Case {
        std::string start;
        off_t lineBytes;
        std::string names;
        bool ignored;
        long maxGrowthMiB;
    };
    const Case cases[] = {
        {"", 64 * kMiB, "after ", false, 16},
        {declaration + "big toggle x ", 128 * kMiB, "after ", true, 96},
        // 32 MiB with the line feed.
        {declaration + "edge toggle x ", 32 * kMiB - 1, "edge after ", false, 96},
        {declaration + "over toggle x ", 32 * kMiB, "after ", true, 96},
    };
    const ScratchDir scratch;
    const std::string folder = scratch.makeDir("Big"), file = scratch.path("Big/Big.pd");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start + std::to_string(c.lineBytes));
        writeFile(file, first + c.start);
        ASSERT_EQ(truncate(file.c_str(), static_cast<off_t>(first.size()) + c.lineBytes), 0);
        std::ofstream(file, std::ios::app) << "\n" << declaration << "after int 1 2 3\n";
        [[maybe_unused]] const int growthMiB = runInChild([&] {
            PdPluginParameters parameters;
            rusage before{}, after{};
            getrusage(RUSAGE_SELF, &before);
            std::string report = captureStdout([&] { parameters.load(folder.c_str()); });
            getrusage(RUSAGE_SELF, &after);
            for (int i = 0; i < parameters.size(); ++i)
                report += parameters.getParameter(i)->name + " ";
            writeFile(scratch.path("report"), report);
            return static_cast<int>(std::min((after.ru_maxrss - before.ru_maxrss) / 1024, 255L));
        });
        // Under ThreadSanitizer, its shadow memory counts several times what is touched.
#if !defined(__SANITIZE_THREAD__)
        EXPECT_LT(growthMiB, c.maxGrowthMiB);
#endif
        EXPECT_EQ(readFile(scratch.path("report")),
                  (c.ignored ? file + ": line 2 longer than 32 MiB, ignored\n" : "") + c.names);
    }
}
