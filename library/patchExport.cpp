#include "library/patchExport.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/fileKind.h"
#include "fsutil/folderEntries.h"
#include "fsutil/folderFlags.h"
#include "fsutil/retryOnInterrupt.h"
#include "fsutil/treeSize.h"
#include "library/VQAUUtils.h"
#include "library/archiveEntryPaths.h"
#include "library/utf8Locale.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <utility>

namespace {

// Large enough that deflating, not reading, sets the pace.
constexpr std::size_t kReadBlock = 1024 * 1024;
constexpr std::chrono::milliseconds kProgressEvery{250};

struct ArchiveWriteFree {
    void operator()(archive* writer) const { archive_write_free(writer); }
};
using UniqueArchiveWriter = std::unique_ptr<archive, ArchiveWriteFree>;

struct ArchiveEntryFree {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};
using UniqueArchiveEntry = std::unique_ptr<archive_entry, ArchiveEntryFree>;

// The hidden file an archive grows in beside its target: created with the
// mode a new file gets (0666 less the umask), removed unless kept.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) {
        const std::size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1);
        // mkstemp would make the file 0600, which a shared archive should not be.
        for (int attempt = 0; attempt < 100 && !fd_ && (attempt == 0 || errno == EEXIST);
             ++attempt) {
            path_ = folder + "." + name + "." + std::to_string(getpid()) + "-" +
                    std::to_string(attempt) + ".part";
            fd_.reset(open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        }
    }
    ~TemporaryFile() {
        if (fd_ && !kept_) unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_.get(); }
    // Moves the complete file over the target in one step; false (errno set) when it can't.
    bool keepAs(const std::string& target) {
        if (fsync(fd_.get()) != 0 || rename(path_.c_str(), target.c_str()) != 0) return false;
        kept_ = true;
        return true;
    }

private:
    std::string path_;
    UniqueFd fd_;
    bool kept_ = false;
};

class Export {
public:
    explicit Export(InstallWatcher* watcher) : watcher_(watcher) {}

    ExportResult run(const std::vector<std::string>& folders, const std::string& archivePath) {
        std::set<std::string> names;
        for (const std::string& folder : folders)
            if (!names.insert(getDirName(folder)).second)
                return failed("two patches are named " + quotedName(getDirName(folder)));
        TemporaryFile file(archivePath);
        if (file.fd() < 0 || fstat(file.fd(), &archiveFile_) != 0)
            return systemFailure("cannot write", archivePath);
        ExportResult result = writeArchive(folders, file.fd());
        // Done with the descriptor before the file goes: freeing an open
        // writer still writes the archive's end.
        writer_.reset();
        if (result.outcome == ExportOutcome::exported && !file.keepAs(archivePath))
            return systemFailure("cannot write", archivePath);
        return result;
    }

private:
    ExportResult writeArchive(const std::vector<std::string>& folders, int fd) {
        writer_.reset(archive_write_new());
        if (!writer_) return failed("out of memory");
        archive_write_set_format_zip(writer_.get());
        // Flags the names as UTF-8, which this thread's locale makes them.
        if (archive_write_set_options(writer_.get(), "zip:hdrcharset=UTF-8") != ARCHIVE_OK ||
            archive_write_set_bytes_per_block(writer_.get(), static_cast<int>(kReadBlock)) !=
                ARCHIVE_OK ||
            archive_write_set_bytes_in_last_block(writer_.get(), 1) != ARCHIVE_OK ||
            archive_write_open_fd(writer_.get(), fd) != ARCHIVE_OK)
            return libarchiveFailure();
        for (std::size_t index = 0; index < folders.size(); ++index) {
            const std::string& folder = folders[index];
            if (watcher_) watcher_->itemStarted(index, folders.size(), folder, treeSize(folder));
            done_ = {};
            const UniqueFd top(open(folder.c_str(), folderFlags::read));
            struct stat info;
            if (!top || fstat(top.get(), &info) != 0) return systemFailure("cannot read", folder);
            ExportResult result = addFolder(top.get(), info, getDirName(folder));
            if (result.outcome != ExportOutcome::exported) return result;
        }
        if (archive_write_close(writer_.get()) != ARCHIVE_OK) return libarchiveFailure();
        return {ExportOutcome::exported, {}};
    }

    // The folder (open as `fd`), then what it holds, by name, so that the
    // same folder always makes the same archive.
    ExportResult addFolder(int fd, const struct stat& info, const std::string& name) {
        ExportResult result = addHeader(name, info);
        if (result.outcome != ExportOutcome::exported) return result;
        std::optional<std::vector<FolderEntry>> entries = folderEntries(fd);
        if (!entries) return systemFailure("cannot read", name);
        std::sort(entries->begin(), entries->end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
        for (const FolderEntry& entry : *entries) {
            result = addEntry(fd, entry.name, name + "/" + entry.name);
            if (result.outcome != ExportOutcome::exported) return result;
        }
        return result;
    }

    ExportResult addEntry(int folder, const std::string& entry, const std::string& name) {
        if (watcher_ && watcher_->cancelled()) return {ExportOutcome::cancelled, {}};
        struct stat info;
        if (fstatat(folder, entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return systemFailure("cannot read", name);
        if (S_ISDIR(info.st_mode)) {
            const UniqueFd sub(openat(folder, entry.c_str(), folderFlags::readNoLink));
            if (!sub) return systemFailure("cannot read", name);
            return addFolder(sub.get(), info, name);
        }
        if (S_ISLNK(info.st_mode)) return addLink(folder, entry, name, info);
        // An archive saved inside a patch it holds must not hold itself half written.
        if (S_ISREG(info.st_mode) &&
            !(info.st_dev == archiveFile_.st_dev && info.st_ino == archiveFile_.st_ino)) {
            ++done_.files;
            return addFile(folder, entry, name);
        }
        return {ExportOutcome::exported, {}};  // devices, pipes and sockets hold no patch data
    }

    ExportResult addLink(int folder, const std::string& entry, const std::string& name,
                         const struct stat& info) {
        std::string target(static_cast<std::size_t>(info.st_size) + 1, '\0');
        const ssize_t length = readlinkat(folder, entry.c_str(), target.data(), target.size());
        if (length < 0) return systemFailure("cannot read the link", name);
        if (static_cast<std::size_t>(length) >= target.size())
            return failed(quotedName(name) + " changed while it was read");
        target.resize(static_cast<std::size_t>(length));
        return addHeader(name, info, target);
    }

    ExportResult addFile(int folder, const std::string& entry, const std::string& name) {
        // Without waiting: a pipe put in the file's place meanwhile has no writer.
        const UniqueFd file(
            openat(folder, entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info;
        if (!file || fstat(file.get(), &info) != 0) return systemFailure("cannot read", name);
        if (!isRegularFile(file.get())) return {ExportOutcome::exported, {}};
        ExportResult result = addHeader(name, info);
        // The size in the header is what is written: a file that grows meanwhile is cut there.
        auto left = static_cast<std::uint64_t>(info.st_size);
        while (result.outcome == ExportOutcome::exported && left > 0) {
            if (watcher_ && watcher_->cancelled()) return {ExportOutcome::cancelled, {}};
            const ssize_t got = retryOnInterrupt([&] {
                return read(file.get(), buffer_.data(), std::min<std::uint64_t>(left, kReadBlock));
            });
            if (got < 0) return systemFailure("cannot read", name);
            if (got == 0) return failed(quotedName(name) + " grew shorter while it was read");
            if (archive_write_data(writer_.get(), buffer_.data(), static_cast<std::size_t>(got)) !=
                got)
                return libarchiveFailure();
            left -= static_cast<std::uint64_t>(got);
            done_.bytes += static_cast<std::uint64_t>(got);
            tellProgress();
        }
        return result;
    }

    // At most every kProgressEvery: each report is work for the window's thread.
    void tellProgress() {
        const auto now = std::chrono::steady_clock::now();
        if (!watcher_ || now - told_ < kProgressEvery) return;
        told_ = now;
        watcher_->itemProgress(done_);
    }

    // The entry's header: a folder, a file of info.st_size bytes, or a link to `linkTarget`.
    ExportResult addHeader(const std::string& name, const struct stat& info,
                           const std::string& linkTarget = {}) {
        const UniqueArchiveEntry entry(archive_entry_new());
        if (!entry) return failed("out of memory");
        archive_entry_copy_pathname(entry.get(), name.c_str());
        archive_entry_set_filetype(entry.get(), info.st_mode & S_IFMT);
        archive_entry_set_perm(entry.get(), info.st_mode & 07777);
        archive_entry_set_mtime(entry.get(), info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        if (S_ISREG(info.st_mode)) archive_entry_set_size(entry.get(), info.st_size);
        if (S_ISLNK(info.st_mode)) archive_entry_copy_symlink(entry.get(), linkTarget.c_str());
        // A warning too: a name that is not UTF-8 would come out changed.
        if (archive_write_header(writer_.get(), entry.get()) != ARCHIVE_OK)
            return libarchiveFailure(name);
        return {ExportOutcome::exported, {}};
    }

    // What failed on `path`, and errno's reason.
    static ExportResult systemFailure(const char* what, const std::string& path) {
        const int error = errno;
        return failed(std::string(what) + " " + quotedName(path), error);
    }

    static ExportResult failed(const std::string& what, int error = 0) {
        return {ExportOutcome::failed, error ? what + ": " + std::strerror(error) : what};
    }

    ExportResult libarchiveFailure(const std::string& name = {}) const {
        const char* error = archive_error_string(writer_.get());
        const std::string why = error ? oneLine(error) : "the archive can't be written";
        return failed(name.empty() ? why : "cannot store " + quotedName(name) + ": " + why);
    }

    InstallWatcher* watcher_;
    // Names reach libarchive as they are on disk, and go into the archive as UTF-8.
    Utf8Locale locale_;
    UniqueArchiveWriter writer_;
    std::vector<char> buffer_ = std::vector<char>(kReadBlock);
    // What of the current patch folder is in the archive so far, for progress.
    TreeSize done_;
    // The archive being written, which the walk leaves out.
    struct stat archiveFile_ {};
    std::chrono::steady_clock::time_point told_;
};

}  // namespace

ExportResult exportPatches(const std::vector<std::string>& patchFolders, const std::string& archive,
                           InstallWatcher* watcher) {
    try {
        return Export(watcher).run(patchFolders, archive);
    } catch (const std::bad_alloc&) {
        return {ExportOutcome::failed, "out of memory"};
    }
}
