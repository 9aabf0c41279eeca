// Parameter declaration lines: split cuts exactly at the delimiter,
// parseParameter accepts a line exactly when it names a parameter and a type,
// and load reads one record for each such declaration line of a patch file.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fsutil/UniqueFd.h"
#include "fuzz/check.h"
#include "params/PdPluginParameters.h"

namespace {

constexpr std::size_t kNameToken = 5;
constexpr std::size_t kTypeToken = 6;
constexpr std::size_t kExtraToken = 10;

std::string scratchFolder;
std::string patchFolder;

void removeScratchFolder() {
    unlink((patchFolder + "/P.pd").c_str());
    rmdir(patchFolder.c_str());
    rmdir(scratchFolder.c_str());
}

bool sameFloat(float a, float b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The pieces joined by the delimiter give the text back (a trailing delimiter
// yields no piece of its own), and no piece holds the delimiter.
void checkSplit(const PdPluginParameters& reader, const std::string& text, char delim) {
    const std::vector<std::string> tokens = reader.split(text, delim);
    check(tokens.empty() == text.empty());
    std::string joined;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        check(tokens[i].find(delim) == std::string::npos);
        if (i > 0) joined += delim;
        joined += tokens[i];
    }
    if (!text.empty() && text.back() == delim) joined += delim;
    check(joined == text);

    std::vector<std::string> appended{"kept"};
    reader.split(text, delim, appended);
    check(appended.size() == tokens.size() + 1 && appended.front() == "kept");
    check(std::equal(tokens.begin(), tokens.end(), appended.begin() + 1));
}

void checkParse(PdPluginParameters& reader, const std::string& line) {
    const std::vector<std::string> tokens = reader.split(line, ' ');
    const int before = reader.size();
    const bool accepted = reader.parseParameter(line);
    check(accepted == (tokens.size() > kTypeToken));
    check(reader.size() == before + (accepted ? 1 : 0));
    if (!accepted) return;
    const VQParameter& record = *reader.getParameter(before);
    check(record.name == tokens[kNameToken] && record.type == tokens[kTypeToken]);
    const bool hasValues =
        record.type == "slider" || record.type == "int" || record.type == "float";
    if (!hasValues) {
        check(record.min == 0 && record.max == 1 && record.defaultValue == 0 &&
              record.extra.empty());
        return;
    }
    check(record.extra == (tokens.size() > kExtraToken ? tokens[kExtraToken] : ""));
    if (tokens.size() <= kExtraToken - 1) check(sameFloat(record.defaultValue, record.min));
}

bool isDeclarationLine(const std::string& line) {
    return line.starts_with("#X text") && line.find(" param ") != std::string::npos;
}

// The whole input as a main patch file: one record per declaration line with
// at least a name and a type.
void checkLoad(const PdPluginParameters& splitter, const std::string& content) {
    const std::string file = patchFolder + "/P.pd";
    {
        const UniqueFd out(open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        check(out && write(out.get(), content.data(), content.size()) ==
                         static_cast<ssize_t>(content.size()));
    }
    int expected = 0;
    for (const std::string& line : splitter.split(content, '\n'))
        if (isDeclarationLine(line) && splitter.split(line, ' ').size() > kTypeToken) ++expected;
    PdPluginParameters reader;
    reader.load(patchFolder.c_str());
    check(reader.size() == expected);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // "Wrong format" lines would drown the fuzzer's own report.
    const UniqueFd devNull(open("/dev/null", O_WRONLY | O_CLOEXEC));
    dup2(devNull.get(), STDOUT_FILENO);
    // A memory file system where there is one: rewriting a file per input on
    // disk is slow.
    char inMemory[] = "/dev/shm/veltrano-fuzz-XXXXXX";
    char onDisk[] = "/tmp/veltrano-fuzz-XXXXXX";
    const char* folder = mkdtemp(inMemory) ? inMemory : mkdtemp(onDisk);
    check(folder != nullptr);
    scratchFolder = folder;
    patchFolder = scratchFolder + "/P";
    check(mkdir(patchFolder.c_str(), 0755) == 0);
    std::atexit(removeScratchFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char delim = static_cast<char>(data[0]);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    PdPluginParameters reader;
    checkSplit(reader, text, delim);
    checkSplit(reader, text, ' ');
    checkParse(reader, text);
    checkLoad(reader, text);
    return 0;
}
