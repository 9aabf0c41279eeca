// Lines as dropped names, decoded and installed: exactly the escapes decoded, the URL prefixes
// stripped, names leading nowhere told and skipped.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/percentDecode.h"
#include "fuzz/check.h"
#include "library/VQAUUtils.h"
#include "testing/OutputCapture.h"

namespace {

// As many bytes fewer as there are escapes, and every byte escaped decodes back.
void checkDecoding(const std::string& text, const std::string& decoded) {
    std::size_t escapes = 0;
    for (std::size_t i = 0; i + 2 < text.size(); ++i)
        if (text[i] == '%' && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            ++escapes;
            i += 2;
        }
    check(decoded.size() == text.size() - 2 * escapes && (escapes > 0 || decoded == text));
    std::string encoded;
    constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char byte : decoded) encoded += {'%', kHex[byte >> 4], kHex[byte & 15]};
    check(percentDecode(encoded) == decoded);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Anything wrongly taken for a patch would really be installed (into this build's scratch).
    for (const char* folder : {EFFECTS_DIR, INSTRUMENTS_DIR})
        check(std::filesystem::create_directories(folder) || std::filesystem::is_empty(folder));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> items, expectedItems;
    std::string expectedOutput, secondPass;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0, end; start <= input.size(); start = end + 1) {
        end = std::min(input.find('\n', start), input.size());
        const std::string line = input.substr(start, end - start);
        const std::string decoded = percentDecode(line);
        checkDecoding(line, decoded);
        // The window drops a name holding a NUL byte: no path can hold one.
        if (decoded.find('\0') != std::string::npos) continue;
        const std::size_t prefix = decoded.starts_with("file://localhost") ? 16
                                   : decoded.starts_with("file:///")       ? 7
                                                                           : 0;
        const std::string path = decoded.substr(prefix);
        struct stat info;  // only names leading nowhere: anything else might install
        if (stat(path.c_str(), &info) == 0) continue;
        items.push_back(decoded);
        expectedItems.push_back(path);
        if (prefix) expectedOutput += "file----" + path + "\n";
        secondPass += "file:: " + path + "\nFile not found\n";
    }
    if (items.empty()) return 0;
    const std::string output = testing_support::captureStdout(
        [&] { check(installFiles(items) == nullptr && items == expectedItems); });
    check(output == expectedOutput + secondPass);
    check(std::filesystem::is_empty(EFFECTS_DIR) && std::filesystem::is_empty(INSTRUMENTS_DIR));
    return 0;
}
