#pragma once

// The object classes Pd vanilla creates on its own, its extra objects
// included. The list is data: vanillaClasses.txt, built into the program.

#include <span>
#include <string_view>

namespace pdpatch {

bool isVanillaClass(std::string_view name);

// Every class, sorted bytewise.
std::span<const std::string_view> vanillaClasses();

}  // namespace pdpatch
