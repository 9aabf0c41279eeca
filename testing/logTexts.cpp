#include "testing/logTexts.h"

#include <regex>

namespace testing_support {

std::vector<std::string> logTexts(const std::string& captured) {
    static const std::regex line(
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[\n]+\[\d+:\d+\] ([^\n]*))");
    std::vector<std::string> texts;
    for (std::sregex_iterator match(captured.begin(), captured.end(), line), end; match != end;
         ++match)
        texts.push_back((*match)[1]);
    return texts;
}

}  // namespace testing_support
