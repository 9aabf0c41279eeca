// Any bytes read as a patch: every box, range and canvas index the reader
// gives stays inside what it read, and the check over the same file ends.

#include <cstdint>
#include <string>

#include "fuzz/check.h"
#include "pdpatch/patchCheck.h"
#include "pdpatch/patchReader.h"
#include "testing/ScratchDir.h"

namespace {

const testing_support::ScratchDir scratch;

void checkRange(const pdpatch::Patch& patch, pdpatch::AtomRange range) {
    check(range.first + static_cast<std::uint64_t>(range.count) <= patch.atomCount());
    for (std::uint32_t i = range.first; i < range.first + range.count; ++i)
        check(patch.atom(i).size() <= pdpatch::kLongestPatch);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const pdpatch::Patch patch = pdpatch::readPatch(content);
    check(!patch.isPatch || !patch.canvases.empty());
    const auto canvases = static_cast<int>(patch.canvases.size());
    for (const pdpatch::Canvas& canvas : patch.canvases) {
        check(canvas.parent >= -1 && canvas.parent < canvases);
        checkRange(patch, canvas.header);
        checkRange(patch, canvas.coords);
        for (const pdpatch::Box& box : canvas.boxes) {
            checkRange(patch, box.atoms);
            for (const pdpatch::AtomRange& values : box.values) checkRange(patch, values);
            check(box.canvas >= -1 && box.canvas < canvases && box.width >= 0);
        }
    }
    for (const pdpatch::Declaration& declaration : patch.declarations)
        checkRange(patch, declaration.atoms);
    scratch.writeFile("P/P.pd", content);
    for (const pdpatch::Finding& finding : pdpatch::checkPatchFolder(scratch.path("P")))
        check(!finding.code.empty() && finding.line >= 1);
    return 0;
}
