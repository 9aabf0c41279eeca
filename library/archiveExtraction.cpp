#include "library/archiveExtraction.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/folderEntries.h"
#include "fsutil/folderFlags.h"
#include "fsutil/readBlock.h"
#include "fsutil/retryOnInterrupt.h"
#include "fsutil/treeRemoval.h"
#include "library/archiveEntryPaths.h"
#include "library/archiveNames.h"
#include "library/extractionBudget.h"
#include "library/extractionTree.h"
#include "library/patchLayout.h"
#include "library/utf8Locale.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

namespace {

struct ArchiveReadFree {
    void operator()(archive* reader) const { archive_read_free(reader); }
};
using UniqueArchiveReader = std::unique_ptr<archive, ArchiveReadFree>;

// What the recognised names promise, whichever of them an archive has: a
// browser may save a .tar.gz already unpacked, and it still opens. A filter is
// enabled only when its library is built into libarchive, which would
// otherwise run an outside program for it.
void enableArchiveTypes(archive* reader) {
    archive_read_support_format_tar(reader);
    archive_read_support_format_zip(reader);
    if (archive_zlib_version()) archive_read_support_filter_gzip(reader);
    if (archive_bzlib_version()) archive_read_support_filter_bzip2(reader);
    if (archive_liblzma_version()) archive_read_support_filter_xz(reader);
    if (archive_libzstd_version()) archive_read_support_filter_zstd(reader);
}

// A descriptor of its own, with its own reading position.
UniqueFd reopenFolder(int folder) {
    return UniqueFd(openat(folder, ".", folderFlags::readNoLink));
}

bool isEmptyFolder(int folder) {
    const std::optional<std::vector<FolderEntry>> entries = folderEntries(folder);
    return entries && entries->empty();
}

bool writeAt(int fd, const char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = retryOnInterrupt([&] { return pwrite(fd, data, size, offset); });
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

struct DeferredLink {
    EntryPath path;
    std::string target;
};

// A hard link made, with the file first extracted under that inode.
struct HardLink {
    EntryPath path;
    EntryPath original;
};

// True when both paths lie in one patch folder, the first `depth` components
// of each (0: everything extracted is one patch).
bool inOnePatch(const EntryPath& a, const EntryPath& b, std::size_t depth) {
    return depth == 0 ||
           (a.size() > depth && b.size() > depth &&
            std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(depth), b.begin()));
}

// One extraction: the archive read entry by entry, each written below the
// extraction folder, symbolic links last; any failure ends it.
class Extraction {
public:
    Extraction(const std::string& archivePath, const std::string& into,
               const ExtractionLimits& limits, const ExtractionHooks& hooks)
        : archivePath_(archivePath),
          into_(into.size() > 1 && into.back() == '/' ? into.substr(0, into.size() - 1) : into),
          name_(oneLine(archivePath.substr(archivePath.rfind('/') + 1))),
          limits_(limits),
          hooks_(hooks) {}

    ExtractedPatches run() {
        ExtractedPatches result;
        try {
            result.failure = extract(result.patchFolders);
        } catch (const std::exception& error) {
            result.failure = name_ + ": " + error.what();
        } catch (...) {
            result.failure = name_ + ": extraction failed";
        }
        if (!result.failure.empty()) {
            result.patchFolders.clear();
            if (emptied_) emptyOpenDirectory(reopenFolder(root_.get()), RemovalMode::asPermitted);
        }
        return result;
    }

private:
    std::string extract(std::vector<std::string>& patchFolders) {
        root_.reset(open(into_.c_str(), folderFlags::readNoLink));
        if (!root_)
            return name_ + ": cannot open " + quotedName(into_) + ": " + std::strerror(errno);
        if (!isEmptyFolder(root_.get())) return name_ + ": " + quotedName(into_) + " is not empty";
        emptied_ = true;
        tree_ = std::make_unique<ExtractionTree>(root_.get());
        std::string failure = openArchive();
        if (failure.empty()) failure = extractEntries();
        if (failure.empty()) failure = makeSymlinks();
        if (!failure.empty()) return failure;
        const PatchLayout layout = arrangePatches(root_.get(), archiveStem(archivePath_), name_);
        if (!layout.failure.empty()) return layout.failure;
        for (const DeferredLink& link : links_)
            if (!linkStaysInside(link.path, link.target, layout.depthInArchive))
                return refused(joinEntryPath(link.path),
                               "is a link to " + quotedName(link.target) +
                                   ", which leads out of its patch folder");
        failure = separatePatches(layout.depthInArchive);
        if (!failure.empty()) return failure;
        for (const EntryPath& folder : layout.patchFolders)
            patchFolders.push_back(into_ + "/" + joinEntryPath(folder));
        return {};
    }

    std::string openArchive() {
        file_.reset(open(archivePath_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        struct stat info;
        if (!file_ || fstat(file_.get(), &info) != 0)
            return name_ + ": cannot open it: " + std::strerror(errno);
        // Opened without waiting, as a FIFO would wait for a writer forever.
        if (!S_ISREG(info.st_mode)) return name_ + ": not a regular file";
        budget_ = std::make_unique<ExtractionBudget>(
            limits_, static_cast<std::uint64_t>(info.st_size), root_.get(), name_);
        reader_.reset(archive_read_new());
        if (!reader_) return name_ + ": cannot read it (out of memory)";
        enableArchiveTypes(reader_.get());
        if (archive_read_open_fd(reader_.get(), file_.get(), kReadBlockBytes) != ARCHIVE_OK)
            return name_ + ": not a zip or tar archive that can be read (" + libarchiveError() +
                   ")";
        return {};
    }

    std::string extractEntries() {
        archive_entry* entry = nullptr;
        for (;;) {
            const int status = archive_read_next_header(reader_.get(), &entry);
            if (status == ARCHIVE_EOF) return {};
            if (status < ARCHIVE_WARN) return damaged();
            const std::uint64_t foldersBefore = tree_->foldersMade();
            std::string failure = cancelled();
            if (failure.empty()) failure = extractEntry(entry);
            // Folders made for a path count too: one long path could make thousands.
            if (failure.empty())
                failure = budget_->addEntries(1 + tree_->foldersMade() - foldersBefore);
            if (!failure.empty()) return failure;
        }
    }

    std::string extractEntry(archive_entry* entry) {
        const char* rawName = archive_entry_pathname(entry);
        if (!rawName) return name_ + ": an entry has a name that can't be read";
        const std::string name = entryNameAsUtf8(rawName);
        const CheckedEntryPath checked = checkEntryPath(name);
        if (checked.verdict == CheckedEntryPath::refused) return refused(name, checked.reason);
        if (checked.verdict == CheckedEntryPath::dropped) return {};
        if (archive_entry_is_encrypted(entry)) return refused(name, "is encrypted");
        if (const char* hardLink = archive_entry_hardlink(entry))
            return linkHard(name, checked.path, entryNameAsUtf8(hardLink));
        switch (archive_entry_filetype(entry)) {
            case AE_IFDIR:
                return tree_->openFolder(checked.path, checked.path.size()) ? ""
                                                                            : cannotWrite(name);
            case AE_IFREG:
                return writeFile(entry, name, checked.path);
            case AE_IFLNK:
                return recordSymlink(name, checked.path, archive_entry_symlink(entry));
            default:
                return {};  // devices, FIFOs and sockets are skipped
        }
    }

    std::string writeFile(archive_entry* entry, const std::string& name, const EntryPath& path) {
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0) {
            std::string failure =
                budget_->announce(static_cast<std::uint64_t>(archive_entry_size(entry)));
            if (!failure.empty()) return failure;
        }
        const UniqueFd file = tree_->createFile(path, (archive_entry_perm(entry) & 0111) != 0);
        if (!file) return cannotWrite(name);
        std::uint64_t end = 0, dataEnd = 0;
        for (;;) {
            const void* block = nullptr;
            std::size_t size = 0;
            la_int64_t offset = 0;
            const int status = archive_read_data_block(reader_.get(), &block, &size, &offset);
            if (status == ARCHIVE_EOF) break;
            // The zip reader reports a wrong checksum or size as a warning.
            if (status != ARCHIVE_OK || offset < 0) return damaged();
            const std::uint64_t blockEnd = static_cast<std::uint64_t>(offset) + size;
            // Holes of a sparse file count as written: a copy would fill them.
            std::string failure = cancelled();
            if (failure.empty() && blockEnd > end) failure = budget_->add(blockEnd - end, true);
            if (!failure.empty()) return failure;
            if (!writeAt(file.get(), static_cast<const char*>(block), size, offset))
                return cannotWrite(name);
            end = std::max(end, blockEnd);
            if (size > 0) dataEnd = std::max(dataEnd, blockEnd);
            if (hooks_.progress) hooks_.progress(budget_->written());
        }
        if (end > dataEnd && ftruncate(file.get(), static_cast<off_t>(end)) != 0)
            return cannotWrite(name);
        files_[joinEntryPath(path)] = end;
        return {};
    }

    // Which patch folders the link joins is known only once the layout is:
    // separatePatches then gives a link into another patch its own copy.
    std::string linkHard(const std::string& name, const EntryPath& path,
                         const std::string& target) {
        const CheckedEntryPath checked = checkEntryPath(target);
        const std::string targetName = joinEntryPath(checked.path);
        const auto extracted = files_.find(targetName);
        if (checked.verdict != CheckedEntryPath::usable || extracted == files_.end())
            return refused(name, "is a hard link to " + quotedName(target) +
                                     ", not to a file extracted before it");
        const std::uint64_t size = extracted->second;
        std::string failure = budget_->add(size, false);
        if (!failure.empty()) return failure;
        if (!tree_->makeHardLink(checked.path, path)) return cannotWrite(name);
        const auto linkedAgain = originalOf_.find(targetName);
        const EntryPath original =
            linkedAgain == originalOf_.end() ? checked.path : linkedAgain->second;
        files_[joinEntryPath(path)] = size;
        originalOf_[joinEntryPath(path)] = original;
        hardLinks_.push_back({path, original});
        return {};
    }

    // A hard link from one patch folder to another becomes a copy, so that
    // saving one patch never changes the other (their sizes were counted as
    // copies already). The links of one patch to the same original keep
    // sharing that patch's copy.
    std::string separatePatches(std::size_t depth) {
        std::map<std::pair<std::string, std::string>, EntryPath> copies;  // original, patch
        for (const HardLink& link : hardLinks_) {
            if (inOnePatch(link.path, link.original, depth)) continue;
            const auto [copy, first] = copies.try_emplace(
                {joinEntryPath(link.original), joinEntryPath(link.path, depth)}, link.path);
            const bool done = first ? tree_->replaceWithCopy(link.path)
                                    : tree_->replaceWithHardLink(copy->second, link.path);
            if (!done) return cannotWrite(joinEntryPath(link.path));
        }
        return {};
    }

    // Links are made after everything else, so no entry is ever written
    // through one. Here they must stay inside the extraction folder; once the
    // layout is known, inside their patch folder.
    std::string recordSymlink(const std::string& name, const EntryPath& path,
                              const char* rawTarget) {
        const std::string target = rawTarget ? entryNameAsUtf8(rawTarget) : std::string();
        if (!linkStaysInside(path, target, 0))
            return refused(name, "is a link to " + quotedName(target) + ", which may lead outside");
        links_.push_back({path, target});
        return {};
    }

    std::string makeSymlinks() {
        for (const DeferredLink& link : links_)
            if (!tree_->makeSymlink(link.path, link.target))
                return cannotWrite(joinEntryPath(link.path));
        return {};
    }

    std::string cancelled() const {
        return hooks_.cancelled && hooks_.cancelled() ? name_ + ": cancelled" : std::string();
    }

    std::string refused(const std::string& entryName, const std::string& reason) const {
        return name_ + ": refused, the entry " + quotedName(entryName) + " " + reason;
    }

    std::string cannotWrite(const std::string& entryName) const {
        if (errno == EEXIST || errno == ENOTDIR || errno == ELOOP)
            return refused(entryName, "clashes with an entry before it");
        return name_ + ": cannot write " + quotedName(entryName) + ": " + std::strerror(errno);
    }

    std::string damaged() const {
        return name_ + ": damaged or cut short (" + libarchiveError() + ")";
    }

    std::string libarchiveError() const {
        const char* error = archive_error_string(reader_.get());
        std::string text = error ? error : "no reason given";
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
            text.pop_back();
        return oneLine(text);
    }

    std::string archivePath_, into_, name_;
    ExtractionLimits limits_;
    const ExtractionHooks& hooks_;
    Utf8Locale locale_;
    UniqueFd root_;
    bool emptied_ = false;  // `into` was empty, so everything in it is ours to remove
    UniqueFd file_;
    UniqueArchiveReader reader_;
    std::unique_ptr<ExtractionTree> tree_;
    std::unique_ptr<ExtractionBudget> budget_;
    std::unordered_map<std::string, std::uint64_t> files_;   // regular files extracted: size
    std::unordered_map<std::string, EntryPath> originalOf_;  // per hard link
    std::vector<HardLink> hardLinks_;
    std::vector<DeferredLink> links_;
};

}  // namespace

ExtractionLimits defaultExtractionLimits() {
    constexpr std::uint64_t kMiB = 1024 * 1024;
    return {.maxTotalBytes = 16 * 1024 * kMiB,
            .maxEntries = 100'000,
            .maxExpansion = 1000,
            .expansionFloorBytes = 16 * kMiB,
            .keepFreeBytes = 256 * kMiB};
}

ExtractedPatches extractPatches(const std::string& archive, const std::string& into,
                                const ExtractionLimits& limits, const ExtractionHooks& hooks) {
    try {
        return Extraction(archive, into, limits, hooks).run();
    } catch (...) {
        return {{}, "cannot extract " + archive + ": out of memory"};
    }
}
