#include "params/PdPluginParameters.h"

#include <gtest/gtest.h>
#include <limits>

#include <string>
#include <type_traits>
#include <vector>

#include "testing/ScratchDir.h"
#include "testing/OutputCapture.h"

using testing_support::captureStdout;
using testing_support::ScratchDir;
using Tokens = std::vector<std::string>;

static_assert(!std::is_copy_constructible_v<PdPluginParameters>);
static_assert(!std::is_copy_assignable_v<PdPluginParameters>);
static_assert(std::is_nothrow_move_constructible_v<PdPluginParameters>);

namespace {

struct Expected {
    std::string name;
    std::string type;
    float min = 0;
    float max = 1;
    float defaultValue = 0;
    std::string extra;
};

void expectRecord(const VQParameter* parameter, const Expected& expected) {
    ASSERT_NE(parameter, nullptr);
    EXPECT_EQ(parameter->name, expected.name);
    EXPECT_EQ(parameter->type, expected.type);
    EXPECT_EQ(parameter->min, expected.min);
    EXPECT_EQ(parameter->max, expected.max);
    EXPECT_EQ(parameter->defaultValue, expected.defaultValue);
    EXPECT_EQ(parameter->extra, expected.extra);
}

// Parses one line into a fresh list and checks the single record it gives.
void expectParsed(const std::string& line, const Expected& expected) {
    SCOPED_TRACE(line);
    PdPluginParameters parameters;
    std::string output = captureStdout([&] { EXPECT_TRUE(parameters.parseParameter(line)); });
    EXPECT_EQ(output, "");
    ASSERT_EQ(parameters.size(), 1);
    expectRecord(parameters.getParameter(0), expected);
}

}  // namespace

TEST(PdPluginParametersSplit, KeepsEmptyPiecesExceptAfterTheLastDelimiter) {
    PdPluginParameters parameters;
    EXPECT_EQ(parameters.split("a b", ' '), (Tokens{"a", "b"}));
    EXPECT_EQ(parameters.split(" a", ' '), (Tokens{"", "a"}));
    EXPECT_EQ(parameters.split("a  b", ' '), (Tokens{"a", "", "b"}));
    EXPECT_EQ(parameters.split("a b ", ' '), (Tokens{"a", "b"}));
    EXPECT_EQ(parameters.split("  ", ' '), (Tokens{"", ""}));
    EXPECT_EQ(parameters.split("", ' '), Tokens{});
    EXPECT_EQ(parameters.split("a\tb c\r", ' '), (Tokens{"a\tb", "c\r"}));

    Tokens tokens{"kept"};
    Tokens& result = parameters.split("x,,y", ',', tokens);
    EXPECT_EQ(&result, &tokens);
    EXPECT_EQ(tokens, (Tokens{"kept", "x", "", "y"}));
}

TEST(PdPluginParametersParse, ValuesDependOnTheTokenCount) {
    PdPluginParameters parameters;
    std::string output = captureStdout(
        [&] { EXPECT_FALSE(parameters.parseParameter("#X text 12 40 param gain;")); });
    EXPECT_EQ(output, "Wrong format\n\n");
    EXPECT_EQ(parameters.size(), 0);

    expectParsed("#X text 12 40 param gain float", {"gain", "float", 0, 1, 0, ""});
    expectParsed("#X text 12 40 param gain float 5", {"gain", "float", 0, 1, 0, ""});
    expectParsed("#X text 12 40 param gain float 2 5;", {"gain", "float", 2, 5, 2, ""});
    expectParsed("#X text 12 40 param gain float 2 5 3;", {"gain", "float", 2, 5, 3, ""});
    expectParsed("#X text 12 40 param cutoff slider 20 800 440 Hz;",
                 {"cutoff", "slider", 20, 800, 440, "Hz;"});
    expectParsed("#X text 12 40 param n int 1 9 4 x ignored;", {"n", "int", 1, 9, 4, "x"});
}

TEST(PdPluginParametersParse, OnlyExactTypeWordsCarryValues) {
    expectParsed("#X text 12 40 param gain float;", {"gain", "float;", 0, 1, 0, ""});
    expectParsed("#X text 12 40 param g Float 2 5 3 x;", {"g", "Float", 0, 1, 0, ""});
    expectParsed("#X text 12 40 param g integer 2 5 3 x;", {"g", "integer", 0, 1, 0, ""});
    // A doubled space shifts every field: the name becomes the type word.
    expectParsed("#X text 12 40 param  gain float 2 5 3;", {"", "gain", 0, 1, 0, ""});
}

TEST(PdPluginParametersParse, NumbersTakeTheirLeadingNumericPart) {
    expectParsed("#X text 12 40 param volume int -10 10 loud 3;",
                 {"volume", "int", -10, 10, 0, "3;"});
    expectParsed("#X text 12 40 param v float 12abc 0.5; 1e2", {"v", "float", 12, 0.5, 100, ""});
    expectParsed("#X text 12 40 param v float 9 1;", {"v", "float", 9, 1, 9, ""});
    const float inf = std::numeric_limits<float>::infinity();
    expectParsed("#X text 12 40 param v float -1e39 1e39;", {"v", "float", -inf, inf, -inf, ""});
}

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
                      "#X text 12 40 param last int 1 2 3");
    PdPluginParameters parameters;
    std::string output = captureStdout([&] { parameters.load(scratch.path("Echo").c_str()); });

    EXPECT_EQ(output, "Wrong format\n\n");
    ASSERT_EQ(parameters.size(), 4);
    expectRecord(parameters.getParameter(0), {"cutoff", "slider", 20, 800, 440, "Hz;"});
    expectRecord(parameters.getParameter(1), {"long", "float", 0, 1, 0, ""});
    expectRecord(parameters.getParameter(2), {"param", "b", 0, 1, 0, ""});
    expectRecord(parameters.getParameter(3), {"last", "int", 1, 2, 3, ""});
}

TEST(PdPluginParametersLoad, CarriageReturnsStayOnTheLastToken) {
    ScratchDir scratch;
    scratch.writeFile("Crlf/Crlf.pd",
                      "#X text 1 2 param a float 1 2 3 Hz\r\n"
                      "#X text 1 2 param b float 1 2 3\r\n"
                      "#X text 1 2 param c float\r\n");
    PdPluginParameters parameters;
    parameters.load(scratch.path("Crlf").c_str());

    ASSERT_EQ(parameters.size(), 3);
    expectRecord(parameters.getParameter(0), {"a", "float", 1, 2, 3, "Hz\r"});
    expectRecord(parameters.getParameter(1), {"b", "float", 1, 2, 3, ""});
    expectRecord(parameters.getParameter(2), {"c", "float\r", 0, 1, 0, ""});
}

TEST(PdPluginParametersLoad, EachLoadReplacesTheWholeList) {
    ScratchDir scratch;
    scratch.writeFile("One/One.pd",
                      "#X text 1 2 param a int 1 2 3;\n#X text 1 2 param b int 4 5 6;\n");
    scratch.writeFile("Two/Two.pd", "#X text 1 2 param c slider 7 8 9;\n");
    scratch.writeFile("Stray/Other.pd", "#X text 1 2 param stray int 1 2 3;\n");
    scratch.makeDir("Dir/Dir.pd");
    PdPluginParameters parameters;

    parameters.load(scratch.path("One").c_str());
    ASSERT_EQ(parameters.size(), 2);
    parameters.load((scratch.path("Two") + "/").c_str());
    ASSERT_EQ(parameters.size(), 1);
    expectRecord(parameters.getParameter(0), {"c", "slider", 7, 8, 9, ""});

    for (const std::string folder : {"Stray", "Missing", "Dir"}) {
        SCOPED_TRACE(folder);
        parameters.load(scratch.path("One").c_str());
        std::string output = captureStdout([&] { parameters.load(scratch.path(folder).c_str()); });
        EXPECT_EQ(output, "");
        EXPECT_EQ(parameters.size(), 0);
    }
    parameters.load("");
    EXPECT_EQ(parameters.size(), 0);
}

TEST(PdPluginParametersLoad, ReadsLinesLongerThanAnyBuffer) {
    ScratchDir scratch;
    const std::string longName(3 << 20, 'n');
    scratch.writeFile("Big/Big.pd", std::string(5 << 20, 'x') + "\n#X text 1 2 param " + longName +
                                        " int 1 2 3 " + longName + ";\n");
    PdPluginParameters parameters;
    parameters.load(scratch.path("Big").c_str());

    ASSERT_EQ(parameters.size(), 1);
    expectRecord(parameters.getParameter(0), {longName, "int", 1, 2, 3, longName + ";"});
}

TEST(PdPluginParametersLoad, FindsDeclarationsWhereverTheReadsCutTheFile) {
    // The file is read in blocks of 64 KiB: a declaration line cut by a block
    // end, at any point of it, must still be read whole and only once.
    constexpr std::size_t kBlock = 64 * 1024;
    const std::string declaration = "#X text 1 2 param cut float 1 2 3 param twice;";
    ScratchDir scratch;
    for (std::size_t before = kBlock - declaration.size() - 1; before <= kBlock + 1; ++before) {
        SCOPED_TRACE(before);
        // Whole filler lines up to `before` bytes, then the declaration.
        std::string content;
        while (content.size() + 20 < before) content += "#X obj 1 2 param 3;\n";
        content += std::string(before - content.size() - 1, 'x') + "\n";
        content += declaration + "\n#X text 1 2 param after int 4 5 6;\n";
        scratch.writeFile("Cut/Cut.pd", content);

        PdPluginParameters parameters;
        parameters.load(scratch.path("Cut").c_str());
        ASSERT_EQ(parameters.size(), 2);
        expectRecord(parameters.getParameter(0), {"cut", "float", 1, 2, 3, "param"});
        expectRecord(parameters.getParameter(1), {"after", "int", 4, 5, 6, ""});
    }
}
