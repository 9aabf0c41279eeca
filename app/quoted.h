#pragma once

#include <string>

#include "app/translate.h"

// A name as the window's texts quote it: “Echo” in English, „Echo“ in German.
inline std::string quoted(const std::string& name) {
    return fillIn(translate("quoted", "“%1”"), {name});
}
