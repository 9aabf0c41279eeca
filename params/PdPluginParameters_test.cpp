#include "params/PdPluginParameters.h"

#include <gtest/gtest.h>
#include <cstdio>
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

TEST(PdPluginParametersSplit, KeepsEmptyPiecesExceptAfterTheLastDelimiter) {
    PdPluginParameters parameters;
    EXPECT_EQ(parameters.split(" a  b ", ' '), (Records{"", "a", "", "b"}));
    EXPECT_EQ(parameters.split("", ' '), Records{});
    Records tokens{"kept"};
    EXPECT_EQ(&parameters.split("x,,y", ',', tokens), &tokens);
    EXPECT_EQ(tokens, (Records{"kept", "x", "", "y"}));
}

// Tokens 5, 6: name, type; slider, int, float take min+max, default (else min), one extra;
// numbers read with a point, their leading numeric part, out of range infinite.
TEST(PdPluginParametersParse, ValuesDependOnTheTypeAndTheTokenCount) {
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
    PdPluginParameters parameters;
    const std::string echo = scratch.path("Echo/");
    EXPECT_EQ(captureStdout([&] { parameters.load(echo.c_str()); }), "Wrong format\n\n");
    EXPECT_EQ(recordsOf(parameters),
              (Records{"cutoff|slider|20|800|440|Hz;", "long|float|0|1|0|", "param|b|0|1|0|",
                       "a|float|1|2|3|Hz\r", "c|float\r|0|1|0|", "last|int|1|2|3|"}));
    for (const std::string folder : {"Stray", "Missing", "Dir", ""}) {
        parameters.load(scratch.path("Echo").c_str());
        parameters.load(folder.empty() ? "" : scratch.path(folder).c_str());
        EXPECT_EQ(parameters.size(), 0) << folder;
    }
}
