#include "pdpatch/patchCheck.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <unordered_map>
#include <unordered_set>

#include "fsutil/visibleEntries.h"
#include "params/PdPluginParameters.h"
#include "pdpatch/patchReader.h"
#include "pdpatch/vanillaClasses.h"

namespace pdpatch {

namespace {

// Where Pd looks for a compiled external of a class NAME: NAME plus one of these.
constexpr std::array<std::string_view, 6> kExternalExtensions = {
    ".pd_linux", ".l_amd64", ".l_arm64", ".so", ".pd_darwin", ".d_fat"};

// The importer's own rule for an instrument: the word anywhere in the main patch file.
constexpr std::string_view kInstrumentMarker = "notein";

std::string folderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

std::string lastComponent(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joined(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path.append(name);
}

bool isRegular(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// A number as a user reads it: "440", "0.5", "-1e+10", whatever the locale.
std::string numberText(float value) {
    char text[32];
    const auto result = std::to_chars(std::begin(text), std::end(text), value);
    return std::string(text, result.ptr);
}

// One file of the patch: the main patch or an abstraction it uses.
struct PatchFile {
    std::string path;
    std::string folder;  // where its own abstractions and externals are looked for
};

class Check {
public:
    std::vector<Finding> run(const std::string& mainPath) {
        std::string content;
        if (!readPatchText(mainPath, content)) {
            add(mainPath, 1, Severity::error, "no-main-patch", "",
                lastComponent(mainPath) +
                    " is missing or cannot be read; the host cannot load the patch");
            return take();
        }
        Patch main = readPatch(content);
        if (!main.isPatch) {
            add(mainPath, 1, Severity::error, "no-main-patch", "",
                lastComponent(mainPath) +
                    " is not a Pd patch (it does not begin with #N canvas); the host cannot "
                    "load it");
            return take();
        }
        visited_.insert(mainPath);
        instrument_ = content.find(kInstrumentMarker) != std::string::npos;
        checkParameters(mainPath, content);
        checkFile({mainPath, folderOf(mainPath)}, main);
        // Abstractions found meanwhile join the queue.
        for (std::size_t next = 0; next < pending_.size(); ++next) {
            const PatchFile file = pending_[next];
            if (readPatchText(file.path, content)) checkFile(file, readPatch(content));
        }
        checkSound(mainPath);
        return take();
    }

private:
    void add(const std::string& file, std::uint32_t line, Severity severity, std::string code,
             std::string subject, std::string sentence) {
        findings_.push_back({std::move(code), severity, file, line, std::move(subject),
                             std::move(sentence)});
    }

    // The findings of each file in line order, the files in the order they
    // were first met (the main patch first).
    std::vector<Finding> take() {
        std::vector<std::string> order;
        for (const Finding& finding : findings_)
            if (std::find(order.begin(), order.end(), finding.file) == order.end())
                order.push_back(finding.file);
        std::stable_sort(findings_.begin(), findings_.end(),
                         [&order](const Finding& a, const Finding& b) {
                             const auto ia = std::find(order.begin(), order.end(), a.file);
                             const auto ib = std::find(order.begin(), order.end(), b.file);
                             return ia != ib ? ia < ib : a.line < b.line;
                         });
        return std::move(findings_);
    }

    void checkFile(const PatchFile& file, const Patch& patch) {
        const std::vector<std::string> folders = searchFolders(file.folder, patch);
        for (const Canvas& canvas : patch.canvases) {
            for (const Box& box : canvas.boxes) {
                if (box.kind == BoxKind::object && box.atoms.count > 0 &&
                    patch.kind(box.atoms.first) == AtomKind::text)
                    checkObject(file, folders, patch.atom(box.atoms.first), box.line);
            }
            const auto boxes = static_cast<int>(canvas.boxes.size());
            for (const Connection& connection : canvas.connections) {
                if (connection.from >= 0 && connection.from < boxes && connection.to >= 0 &&
                    connection.to < boxes)
                    continue;
                add(file.path, connection.line, Severity::warning, "broken-connection", "",
                    "a connection names a box this canvas does not have (the file may be "
                    "damaged); the host leaves it out");
            }
        }
    }

    // The patch's own folder, then each folder its declarations add with
    // -path, in order; a relative one lies below the patch's folder.
    static std::vector<std::string> searchFolders(const std::string& folder, const Patch& patch) {
        std::vector<std::string> folders{folder};
        for (const Declaration& declaration : patch.declarations) {
            const std::uint32_t end = declaration.atoms.first + declaration.atoms.count;
            for (std::uint32_t at = declaration.atoms.first; at + 1 < end; ++at) {
                if (patch.atom(at) != "-path") continue;
                const std::string_view path = patch.atom(++at);
                folders.push_back(path.starts_with('/') ? std::string(path)
                                                         : joined(folder, path));
            }
        }
        return folders;
    }

    void checkObject(const PatchFile& file, const std::vector<std::string>& folders,
                     std::string_view name, std::uint32_t line) {
        if (isVanillaClass(name)) {
            hasDac_ = hasDac_ || name == "dac~";
            hasAdc_ = hasAdc_ || name == "adc~";
            hasNotein_ = hasNotein_ || name == "notein";
            return;
        }
        for (const std::string& folder : folders) {
            const std::string abstraction = joined(folder, std::string(name) + ".pd");
            if (found(abstraction)) {
                if (visited_.insert(abstraction).second)
                    pending_.push_back({abstraction, folderOf(abstraction)});
                return;
            }
            for (const std::string_view extension : kExternalExtensions)
                if (found(joined(folder, std::string(name).append(extension)))) return;
        }
        add(file.path, line, Severity::warning, "unknown-object", std::string(name),
            std::string(name) +
                " is not part of Pd vanilla and not in the patch's folder; the host may fail to "
                "create it");
    }

    // Whether a file is there; asked once per path and check.
    bool found(const std::string& path) {
        const auto known = exists_.find(path);
        if (known != exists_.end()) return known->second;
        return exists_.emplace(path, isRegular(path)).first->second;
    }

    void checkParameters(const std::string& path, std::string_view content) {
        std::unordered_map<std::string, std::uint32_t> declared;  // name: its first line
        std::uint32_t line = 1;
        std::size_t counted = 0;  // line feeds are counted up to here
        auto declare = [&](std::string_view text) {
            const auto at = static_cast<std::size_t>(text.data() - content.data());
            line += static_cast<std::uint32_t>(
                std::count(content.begin() + static_cast<std::ptrdiff_t>(counted),
                           content.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
            counted = at;
            checkDeclaration(path, line, text, declared);
        };
        PdPluginParameters::forEachDeclarationIn(content, declare);
    }

    void checkDeclaration(const std::string& path, std::uint32_t line, std::string_view text,
                          std::unordered_map<std::string, std::uint32_t>& declared) {
        const std::optional<VQParameter> parameter = PdPluginParameters::readDeclaration(text);
        if (!parameter) {
            add(path, line, Severity::warning, "param-format", "",
                "this param comment lacks a name or a type (#X text X Y param NAME TYPE MIN "
                "MAX DEFAULT); the host ignores it");
            return;
        }
        const std::string& name = parameter->name;
        const auto [first, isNew] = declared.emplace(name, line);
        if (!isNew)
            add(path, line, Severity::warning, "param-duplicate", name,
                name + " is declared again (first on line " + std::to_string(first->second) +
                    "); the host can show only one of them");
        if (!PdPluginParameters::hasValues(parameter->type)) return;
        if (parameter->min > parameter->max)
            add(path, line, Severity::warning, "param-range", name,
                name + " has its minimum " + numberText(parameter->min) + " above its maximum " +
                    numberText(parameter->max) + "; the host cannot offer a range");
        else if (!(parameter->defaultValue >= parameter->min &&
                   parameter->defaultValue <= parameter->max))
            add(path, line, Severity::warning, "param-range", name,
                name + " has the default " + numberText(parameter->defaultValue) +
                    ", outside its range " + numberText(parameter->min) + " to " +
                    numberText(parameter->max) + "; the host starts it out of range");
    }

    void checkSound(const std::string& mainPath) {
        if (!hasDac_)
            add(mainPath, 1, Severity::warning, "no-audio-out", "",
                "there is no dac~ in the patch, its subpatches or its abstractions; the host "
                "will hear nothing");
        if (instrument_ && !hasNotein_)
            add(mainPath, 1, Severity::note, "notein-in-text", "",
                "the patch counts as an instrument only because a comment or message mentions "
                "notein; it has no notein object to receive notes");
        if (!instrument_ && !hasAdc_)
            add(mainPath, 1, Severity::note, "effect-without-input", "",
                "the patch counts as an effect but has no adc~; it does not hear the sound the "
                "host sends it");
    }

    std::vector<Finding> findings_;
    std::unordered_set<std::string> visited_;
    std::unordered_map<std::string, bool> exists_;
    std::vector<PatchFile> pending_;  // abstractions to check, in the order met
    bool hasDac_ = false;
    bool hasAdc_ = false;
    bool hasNotein_ = false;
    bool instrument_ = false;  // by the importer's rule, from the main patch file's bytes
};

// Mixes one file's name, kind, size and time into 64 bits (splitmix64 over FNV-1a).
std::uint64_t entryHash(std::string_view path, const struct stat& status) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    for (const auto value : {static_cast<std::uint64_t>(status.st_mode),
                             static_cast<std::uint64_t>(status.st_size),
                             static_cast<std::uint64_t>(status.st_mtim.tv_sec),
                             static_cast<std::uint64_t>(status.st_mtim.tv_nsec)}) {
        hash ^= value + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2);
        hash ^= hash >> 31;
        hash *= 0xbf58476d1ce4e5b9ull;
    }
    return hash;
}

}  // namespace

std::string_view severityName(Severity severity) {
    switch (severity) {
        case Severity::error:
            return "error";
        case Severity::warning:
            return "warning";
        case Severity::note:
            return "note";
    }
    return "note";
}

std::string findingLine(const Finding& finding) {
    return finding.file + ":" + std::to_string(finding.line) + ": " +
           std::string(severityName(finding.severity)) + ": " + finding.code + ": " +
           finding.sentence;
}

std::vector<Finding> checkPatchFile(const std::string& file) {
    Check check;
    return check.run(file);
}

std::vector<Finding> checkPatchFolder(const std::string& folder) {
    return checkPatchFile(joined(folder, lastComponent(folder) + ".pd"));
}

std::uint64_t patchStamp(const std::string& folder) {
    // The sum does not depend on the order the system lists entries in.
    std::uint64_t stamp = 0;
    std::vector<std::string> folders{folder};
    while (!folders.empty()) {
        const std::string current = std::move(folders.back());
        folders.pop_back();
        forEachEntry(current, [&](std::string_view name, EntryKind) {
            const std::string path = joined(current, name);
            struct stat status {};
            if (lstat(path.c_str(), &status) != 0) return;
            stamp += entryHash(std::string_view(path).substr(folder.size()), status);
            if (S_ISDIR(status.st_mode)) folders.push_back(path);
        });
    }
    return stamp;
}

}  // namespace pdpatch
