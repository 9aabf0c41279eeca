// split cuts at the delimiter; a line with a name and a type is one record, parsed or loaded.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include "fuzz/check.h"
#include "params/PdPluginParameters.h"
#include "testing/ScratchDir.h"

namespace {

constexpr std::size_t kNameToken = 5, kTypeToken = 6, kExtraToken = 10;
const testing_support::ScratchDir scratch;

// The pieces joined give the text back (but a trailing delimiter); none holds the delimiter.
void checkSplit(const PdPluginParameters& reader, const std::string& text, char delim) {
    std::vector<std::string> tokens{"kept"};
    reader.split(text, delim, tokens);
    check(tokens.front() == "kept" && (tokens.size() == 1) == text.empty());
    std::string joined;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        check(tokens[i].find(delim) == std::string::npos);
        joined += (i > 1 ? std::string(1, delim) : "") + tokens[i];
    }
    check(joined + (text.ends_with(delim) ? std::string(1, delim) : "") == text);
}

void checkParse(PdPluginParameters& reader, const std::string& line) {
    const std::vector<std::string> tokens = reader.split(line, ' ');
    const bool accepted = reader.parseParameter(line);
    check(accepted == (tokens.size() > kTypeToken) && reader.size() == (accepted ? 1 : 0));
    if (!accepted) return;
    const VQParameter& record = *reader.getParameter(0);
    check(record.name == tokens[kNameToken] && record.type == tokens[kTypeToken]);
    if (record.type != "slider" && record.type != "int" && record.type != "float") {
        check(record.min == 0 && record.max == 1 && record.defaultValue == 0 &&
              record.extra.empty());
        return;
    }
    check(record.extra == (tokens.size() > kExtraToken ? tokens[kExtraToken] : ""));
    if (tokens.size() < kExtraToken)
        check(record.defaultValue == record.min ||
              (std::isnan(record.defaultValue) && std::isnan(record.min)));
}

void checkLoad(const PdPluginParameters& splitter, const std::string& content) {
    scratch.writeFile("P/P.pd", content);
    int expected = 0;
    for (const std::string& line : splitter.split(content, '\n'))
        expected += line.starts_with("#X text") && line.find(" param ") != std::string::npos &&
                    splitter.split(line, ' ').size() > kTypeToken;
    PdPluginParameters reader;
    reader.load(scratch.path("P").c_str());
    check(reader.size() == expected);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    check(freopen("/dev/null", "w", stdout) != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    PdPluginParameters reader;
    checkSplit(reader, text, static_cast<char>(data[0]));
    checkSplit(reader, text, ' ');
    checkParse(reader, text);
    checkLoad(reader, text);
    return 0;
}
