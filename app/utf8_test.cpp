#include "app/utf8.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(Utf8, AcceptsWellFormedTextOnly) {
    for (const std::string& good :
         {""s, "cutoff"s, "Grüße"s, "\xe2\x82\xac"s /* euro sign */, "\xf0\x9f\x8e\xb9"s,
          "\xf4\x8f\xbf\xbf"s /* U+10FFFF */,
          "\xed\x80\x80\xed\x9f\xbf"s /* next to the surrogates */,
          "\xe0\xa0\x80\xf4\x80\x80\x80"s /* lowest after E0 and F4 */,
          "\xef\xbf\xbd"s /* U+FFFD, an EF lead */, "a\0b"s,
          "a\xcc\x81\xcc\x81\xcc\x81\xcc\x81\xcc\x81Grüße\xdf\xbf\xc2\x80"s})
        EXPECT_TRUE(isValidUtf8(good)) << good;
    for (const char* bad :
         {"caf\xe9",                           // Latin-1
          "\x80\xcc\x80\xcc\x80\xcc\x80\xcc",  // stray continuation; backwards, two-byte sequences
          "\xe2\x82",                          // cut short
          "\xe2\x28\xa1",                      // bad continuation
          "\xc0\xaf",                          // overlong "/"
          "\xe0\x80\xaf",                      // overlong, three bytes
          "\xed\xa0\x80",                      // surrogate
          "\xf4\x90\x80\x80",                  // above U+10FFFF
          "\xf8\x88\x80\x80\x80",              // five bytes
          // Inside runs of two-byte sequences, which are checked eight bytes at once.
          "\xcc\x81\xcc\x81\xc1\x81\xcc\x81", "\xcc\x81\xcc\x81\xcc\xc1\xcc\x81",
          "\xcc\x81\xcc\x81\xcc\x81\xcc\x81\xcc", "\xcc\x81\xcc\x81\xe0\x81\xcc\x81"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
}
