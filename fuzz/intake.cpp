// The road of dropped file names up to installation: each input line is a
// dropped name, percent-decoded as the window does, then handed to
// installFiles. Decoding must replace exactly the escapes and nothing else;
// pass 1 must strip exactly the file URL prefixes; and names that lead
// nowhere must each be reported and skipped, installing nothing.

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/percentDecode.h"
#include "fuzz/check.h"
#include "library/VQAUUtils.h"

namespace {

int outputFd = -1;

bool isEscape(const std::string& text, std::size_t i) {
    return text[i] == '%' && i + 2 < text.size() &&
           std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
           std::isxdigit(static_cast<unsigned char>(text[i + 2]));
}

std::string encodeEveryByte(const std::string& text) {
    std::string encoded;
    for (unsigned char byte : text) {
        char escape[4];
        std::snprintf(escape, sizeof escape, "%%%02X", byte);
        encoded += escape;
    }
    return encoded;
}

void checkDecoding(const std::string& text, const std::string& decoded) {
    std::size_t escapes = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (isEscape(text, i)) {
            ++escapes;
            i += 2;
        }
    check(decoded.size() == text.size() - 2 * escapes);
    if (escapes == 0) check(decoded == text);
    check(percentDecode(encodeEveryByte(decoded)) == decoded);
}

// Pass 1 of installation: the two file URL forms lose their prefix.
std::string withoutFileUrl(const std::string& item, bool& stripped) {
    stripped = true;
    if (item.starts_with("file://localhost")) return item.substr(16);
    if (item.starts_with("file:///")) return item.substr(7);
    stripped = false;
    return item;
}

bool existsFollowingLinks(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string capturedOutput() {
    std::fflush(stdout);
    struct stat info;
    check(fstat(outputFd, &info) == 0);
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    check(pread(outputFd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()));
    return text;
}

bool isEmptyDirectory(const char* path) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path), closedir);
    if (!dir) return false;
    while (const dirent* entry = readdir(dir.get()))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Installation writes its lines to standard output: keep them to compare.
    outputFd = memfd_create("stdout", MFD_CLOEXEC);
    check(outputFd >= 0 && dup2(outputFd, STDOUT_FILENO) == STDOUT_FILENO);
    // The type directories exist, so anything wrongly taken for a patch
    // would really be installed (into this build's scratch library).
    const std::string base = BASE_DIR;
    for (std::string::size_type slash = base.find('/', 1); slash != std::string::npos;
         slash = base.find('/', slash + 1))
        mkdir(base.substr(0, slash).c_str(), 0755);
    mkdir(BASE_DIR, 0755);
    for (const char* folder : {EFFECTS_DIR, INSTRUMENTS_DIR}) {
        mkdir(folder, 0755);
        check(isEmptyDirectory(folder));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> items, expectedItems;
    std::string expectedOutput, secondPass;
    for (const std::string& line :
         splitLines(std::string(reinterpret_cast<const char*>(data), size))) {
        const std::string decoded = percentDecode(line);
        checkDecoding(line, decoded);
        // The window drops a name holding a NUL byte: no path can hold one.
        if (decoded.find('\0') != std::string::npos) continue;
        bool stripped = false;
        const std::string path = withoutFileUrl(decoded, stripped);
        // Only names that lead nowhere: anything else might really install.
        if (existsFollowingLinks(path)) continue;
        items.push_back(decoded);
        expectedItems.push_back(path);
        if (stripped) expectedOutput += "file----" + path + "\n";
        secondPass += "file:: " + path + "\nFile not found\n";
    }
    if (items.empty()) return 0;

    check(ftruncate(outputFd, 0) == 0 && lseek(outputFd, 0, SEEK_SET) == 0);
    check(installFiles(items) == nullptr);
    check(items == expectedItems);
    check(capturedOutput() == expectedOutput + secondPass);
    check(isEmptyDirectory(EFFECTS_DIR) && isEmptyDirectory(INSTRUMENTS_DIR));
    return 0;
}
