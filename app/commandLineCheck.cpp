#include "app/commandLineCheck.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "fsutil/treeRemoval.h"
#include "library/archiveExtraction.h"
#include "library/archiveNames.h"
#include "pdpatch/patchCheck.h"

namespace {

using pdpatch::Finding;

bool isFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A scratch folder of its own under the temporary folder, removed with
// everything in it when it goes.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "veltrano-check-XXXXXX");
        if (!error && mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        if (!path_.empty()) removeTree(path_, RemovalMode::asOwner);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The patches of an archive, extracted into a scratch folder; the findings
// name the archive, followed by the path inside it.
std::vector<Finding> checkArchive(const std::string& archive) {
    const ScratchFolder scratch;
    auto failure = [&archive](const std::string& why) {
        return std::vector<Finding>{{"no-main-patch", pdpatch::Severity::error, archive, 1, "",
                                     why + "; the host cannot load anything from it"}};
    };
    if (scratch.path().empty()) return failure("no scratch folder to extract the archive into");
    const ExtractedPatches extracted = extractPatches(archive, scratch.path());
    if (!extracted.failure.empty()) {
        // The line names the archive already; the reason's own "NAME: " goes.
        const std::string named = archive.substr(archive.rfind('/') + 1) + ": ";
        const std::string& why = extracted.failure;
        return failure(why.starts_with(named) ? why.substr(named.size()) : why);
    }
    std::vector<Finding> findings;
    for (const std::string& folder : extracted.patchFolders) {
        for (Finding& finding : pdpatch::checkPatchFolder(folder)) {
            finding.file = archive + finding.file.substr(scratch.path().size());
            findings.push_back(std::move(finding));
        }
    }
    return findings;
}

std::vector<Finding> checkPath(const std::string& path) {
    if (isFolder(path)) return pdpatch::checkPatchFolder(path);
    if (isArchiveName(path)) return checkArchive(path);
    return pdpatch::checkPatchFile(path);
}

}  // namespace

int runCommandLineCheck(const std::vector<std::string>& paths, std::ostream& out,
                        std::ostream& errors) {
    if (paths.empty()) {
        errors << "veltrano-importer: --check needs a patch folder, patch file or archive\n";
        return 2;
    }
    bool anyError = false;
    for (const std::string& path : paths) {
        for (const Finding& finding : checkPath(path)) {
            out << pdpatch::findingLine(finding) << '\n';
            anyError = anyError || finding.severity == pdpatch::Severity::error;
        }
    }
    out.flush();
    return anyError ? 1 : 0;
}
