#pragma once

#include <string>

// A name as the window's texts quote it: “Echo”.
inline std::string quoted(const std::string& name) {
    return "“" + name + "”";
}
