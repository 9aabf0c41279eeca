#include "app/patchCheckCache.h"

#include "library/VQAUUtils.h"

void PatchCheckCache::checkInto(const std::string& folder, PatchFindings& found) {
    const std::uint64_t stamp = pdpatch::patchStamp(folder);
    const auto known = kept_.find(folder);
    const Kept& kept = known != kept_.end() && known->second.stamp == stamp
                           ? known->second
                           : (kept_[folder] = {stamp, pdpatch::checkPatchFolder(folder)});
    if (!kept.findings.empty()) found.emplace(folder, kept.findings);
}

PatchFindings PatchCheckCache::check(const std::vector<std::string>& folders) {
    PatchFindings found;
    for (const std::string& folder : folders) checkInto(folder, found);
    return found;
}

PatchFindings PatchCheckCache::checkLibrary() {
    std::unordered_map<std::string, Kept> before = std::move(kept_);
    kept_.clear();
    PatchFindings found;
    for (const char* typeDir : {EFFECTS_DIR, INSTRUMENTS_DIR})
        for (const std::string& folder : listPatchFolders(typeDir)) {
            const auto known = before.find(folder);
            if (known != before.end()) kept_.insert(before.extract(known));
            checkInto(folder, found);
        }
    return found;
}
