#include "app/utf8.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(Utf8, AcceptsWellFormedText) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("cutoff"));
    EXPECT_TRUE(isValidUtf8("Grüße"));
    EXPECT_TRUE(isValidUtf8("\xe2\x82\xac"));      // euro sign
    EXPECT_TRUE(isValidUtf8("\xf0\x9f\x8e\xb9"));  // U+1F3B9
    EXPECT_TRUE(isValidUtf8("\xf4\x8f\xbf\xbf"));  // U+10FFFF
    EXPECT_TRUE(isValidUtf8("a\0b"s));
    EXPECT_TRUE(isValidUtf8("a\xcc\x81\xcc\x81\xcc\x81\xcc\x81\xcc\x81Grüße\xdf\xbf\xc2\x80"));
}

TEST(Utf8, RejectsMalformedText) {
    EXPECT_FALSE(isValidUtf8("caf\xe9"));               // Latin-1
    EXPECT_FALSE(isValidUtf8("\x80"));                  // stray continuation
    EXPECT_FALSE(isValidUtf8("\xe2\x82"));              // cut short
    EXPECT_FALSE(isValidUtf8("\xe2\x28\xa1"));          // bad continuation
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));              // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xe0\x80\xaf"));          // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));          // surrogate
    EXPECT_FALSE(isValidUtf8("\xf4\x90\x80\x80"));      // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xf8\x88\x80\x80\x80"));  // five bytes
    // Inside runs of two-byte sequences, which are checked eight bytes at once.
    for (const char* bad :
         {"\xcc\x81\xcc\x81\xc1\x81\xcc\x81", "\xcc\x81\xcc\x81\xcc\xc1\xcc\x81",
          "\xcc\x81\xcc\x81\xcc\x81\xcc\x81\xcc", "\xcc\x81\xcc\x81\xe0\x81\xcc\x81"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
}

}  // namespace
