#pragma once

// Test archives from libarchive's writer: any entry a hostile archive may hold.

#include <archive.h>
#include <archive_entry.h>
#include <sys/types.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

struct ArchiveEntry {
    enum Kind { file, folder, symlink, hardLink, fifo };
    std::string name;
    std::string data = {};  // content, or a link's target
    Kind kind = file;
    mode_t mode = 0644;
};

// Format from the extension; `options` are libarchive's (zip encryption: passphrase "secret").
inline void writeArchive(const std::string& path, const std::vector<ArchiveEntry>& entries,
                         const char* options = "") {
    const auto check = [](bool ok, const std::string& what) {
        if (!ok) throw std::runtime_error("cannot write the test archive: " + what);
    };
    const std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(),
                                                                         archive_write_free);
    if (path.ends_with(".tar.zst")) {  // an extension libarchive's writer doesn't know
        archive_write_set_format_pax_restricted(writer.get());
        archive_write_add_filter_zstd(writer.get());
    } else {
        check(archive_write_set_format_filter_by_ext(writer.get(), path.c_str()) == ARCHIVE_OK,
              path);
    }
    check(archive_write_set_options(writer.get(), options) == ARCHIVE_OK, options);
    archive_write_set_passphrase(writer.get(), "secret");
    check(archive_write_open_filename(writer.get(), path.c_str()) == ARCHIVE_OK, path);
    for (const ArchiveEntry& item : entries) {
        const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(
            archive_entry_new(), archive_entry_free);
        static const mode_t kTypes[] = {AE_IFREG, AE_IFDIR, AE_IFLNK, AE_IFREG, AE_IFIFO};
        archive_entry_set_pathname(entry.get(), item.name.c_str());
        archive_entry_set_filetype(entry.get(), kTypes[item.kind]);
        archive_entry_set_perm(entry.get(), item.mode);
        if (item.kind == ArchiveEntry::symlink)
            archive_entry_set_symlink(entry.get(), item.data.c_str());
        if (item.kind == ArchiveEntry::hardLink)
            archive_entry_set_hardlink(entry.get(), item.data.c_str());
        if (item.kind == ArchiveEntry::file) archive_entry_set_size(entry.get(), item.data.size());
        check(archive_write_header(writer.get(), entry.get()) == ARCHIVE_OK, item.name);
        if (item.kind == ArchiveEntry::file)
            archive_write_data(writer.get(), item.data.data(), item.data.size());
    }
    check(archive_write_close(writer.get()) == ARCHIVE_OK, path);
}

}  // namespace testing_support
