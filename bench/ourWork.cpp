#include "bench/ourWork.h"

#include "fsutil/ofxFileUtils.h"
#include "library/VQAUUtils.h"
#include "library/patchExport.h"
#include "fsutil/visibleEntries.h"
#include "params/PdPluginParameters.h"
#include "pdpatch/patchCheck.h"

#include <cstdlib>

namespace {

int resultCode(bool expected) {
    return expected ? 0 : 1;
}

std::size_t countArgument(const std::string& text) {
    return static_cast<std::size_t>(std::strtoull(text.c_str(), nullptr, 10));
}

}  // namespace

int runOurWork(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return 2;
    const std::string& work = arguments[0];
    const std::size_t count = arguments.size() - 1;
    if (work == "copy" && count == 2) return resultCode(ofxCopyFile(arguments[1], arguments[2]));
    if (work == "install" && count == 1) {
        std::vector<std::string> paths{arguments[1]};
        return resultCode(installFiles(paths) != nullptr);
    }
    if (work == "export" && count == 2)
        return resultCode(exportPatches({arguments[1]}, arguments[2]).outcome ==
                          ExportOutcome::exported);
    if (work == "gettype" && count == 1) return resultCode(getType(arguments[1]) == EFFECTS_DIR);
    if (work == "loadpatches" && count == 1)
        return resultCode(loadPatches(EFFECTS_DIR)->size() == countArgument(arguments[1]));
    if (work == "deletedir" && count == 1) return resultCode(ofxDeleteDir(arguments[1]) == 0);
    if (work == "params" && count == 2) {
        PdPluginParameters parameters;
        parameters.load(arguments[1].c_str());
        return resultCode(static_cast<std::size_t>(parameters.size()) ==
                          countArgument(arguments[2]));
    }
    if (work == "check" && count == 2) {
        std::size_t folders = 0, findings = 0;
        forEachVisibleEntry(arguments[1], [&](std::string_view name, EntryKind) {
            ++folders;
            findings += pdpatch::checkPatchFolder(arguments[1] + "/" + std::string(name)).size();
        });
        return resultCode(folders == countArgument(arguments[2]) && findings == 0);
    }
    return 2;
}
