#include "pdpatch/vanillaClasses.h"

#include <iterator>
#include <unordered_set>

namespace pdpatch {

namespace {
// vanillaClasses.txt, one string per class, written by the build.
constexpr std::string_view kClasses[] = {
#include "pdpatch/vanillaClassList.inc"
};
}  // namespace

std::span<const std::string_view> vanillaClasses() { return kClasses; }

bool isVanillaClass(std::string_view name) {
    static const std::unordered_set<std::string_view> classes(std::begin(kClasses),
                                                              std::end(kClasses));
    return classes.contains(name);
}

}  // namespace pdpatch
