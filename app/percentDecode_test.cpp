#include "app/percentDecode.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(PercentDecode, ReplacesEscapesWithTheirBytes) {
    EXPECT_EQ(percentDecode("file:///data/u/My%20Patch.pd"), "file:///data/u/My Patch.pd");
    EXPECT_EQ(percentDecode("%41%62%7e"), "Ab~");
    // UTF-8 names come as escaped bytes, in either case of hexadecimal digit.
    EXPECT_EQ(percentDecode("%C3%89cho%c3%a9"),
              "\xc3\x89"
              "cho\xc3\xa9");
    EXPECT_EQ(percentDecode("%FF%80"), "\xff\x80");
    EXPECT_EQ(percentDecode("a%00b"), "a\0b"s);
    // A decoded "%" starts no new escape.
    EXPECT_EQ(percentDecode("%2541"), "%41");
}

TEST(PercentDecode, KeepsEverythingElseAsItIs) {
    EXPECT_EQ(percentDecode(""), "");
    EXPECT_EQ(percentDecode("Écho 100%.pd"), "Écho 100%.pd");
    EXPECT_EQ(percentDecode("%"), "%");
    EXPECT_EQ(percentDecode("%4"), "%4");
    EXPECT_EQ(percentDecode("50%off"), "50%off");
    EXPECT_EQ(percentDecode("%g1%1g"), "%g1%1g");
    EXPECT_EQ(percentDecode("%%41"), "%A");
    EXPECT_EQ(percentDecode("a\0%20"s), "a\0 "s);
}

}  // namespace
