#include "app/translate.h"

#include <gtest/gtest.h>

// Markers are filled from the translated text alone: a "%2" in a patch's name stays itself, and
// a translation may put the markers in another order.
TEST(TranslateTest, FillsOnlyTheTranslationsOwnMarkers) {
    EXPECT_EQ(fillIn(translate("c", "Installed %1 (%2)"), {"“50%2”", "effects"}),
              "Installed “50%2” (effects)");
    setTranslator([](const char*, const char*) { return std::string("%2: %1 installiert"); });
    EXPECT_EQ(fillIn(translate("c", "Installed %1 (%2)"), {"“Echo”", "Effekte"}),
              "Effekte: “Echo” installiert");
    setTranslator(nullptr);
}
