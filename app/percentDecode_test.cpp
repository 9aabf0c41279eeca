#include "app/percentDecode.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(PercentDecode, ReplacesExactlyTheEscapesAndHandedOverNamesBecomeLocalPaths) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"%41%62%7e", "Ab~"},
        // UTF-8 names come as escaped bytes, in either case of hexadecimal digit.
        {"%C3%89cho%c3%a9", "Échoé"},
        {"%FF%80", "\xff\x80"},
        {"%Af%fA%09%90", "\xaf\xfa\x09\x90"},
        {"a%00b", "a\0b"s},
        {"%2541", "%41"},  // a decoded "%" starts no new escape
        {"%%41", "%A"},
        // What is no escape stays as it is.
        {"", ""},
        {"Écho 100%.pd", "Écho 100%.pd"},
        {"%", "%"},
        {"%4", "%4"},
        {"%g1%1g", "%g1%1g"},
        {"a\0%20"s, "a\0 "s},
    };
    for (const auto& [text, decoded] : cases) EXPECT_EQ(percentDecode(text), decoded) << text;
    // Whatever Qt hands over becomes the path it names: decoded once, a local file URL read as
    // its path, anything else left as it decoded (it names no file).
    const std::vector<std::pair<std::string, std::string>> handedOver = {
        {"file:///My%20Bass.pd", "/My Bass.pd"},
        {"file://localhost/in/a%2541.pd", "/in/a%41.pd"},
        {"file:%2F%2F%2Fin/Echo.pd", "/in/Echo.pd"},
        {"/in/B%20100%25.pd", "/in/B 100%.pd"},
        {"Bass.pd", "Bass.pd"},
        {"file://host/in/Echo.pd", "file://host/in/Echo.pd"},
        {"file://localhostEcho.pd", "file://localhostEcho.pd"},
        {"file:Echo.pd", "file:Echo.pd"},
        {"https://example.org/Echo.pd", "https://example.org/Echo.pd"},
    };
    for (const auto& [name, path] : handedOver) EXPECT_EQ(localPathOf(name), path) << name;
    EXPECT_EQ(localPathsOf({"file:///a", "b%20c"}), (std::vector<std::string>{"/a", "b c"}));
}

}  // namespace
