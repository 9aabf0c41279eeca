#include "testing/logTexts.h"

#include <regex>

namespace testing_support {

std::vector<std::string> logTexts(const std::string& captured) {
    static const std::regex prefix(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[\n]+\[\d+:\d+\] )");
    std::vector<std::string> texts;
    std::size_t start = 0;
    while (start < captured.size()) {
        std::size_t end = captured.find('\n', start);
        if (end == std::string::npos) end = captured.size();
        const std::string line = captured.substr(start, end - start);
        std::smatch match;
        if (std::regex_search(line, match, prefix)) texts.push_back(match.suffix());
        start = end + 1;
    }
    return texts;
}

}  // namespace testing_support
