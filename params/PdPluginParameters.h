#pragma once

// The parameters a patch declares as comments in its main patch file, e.g.
//   #X text 12 40 param cutoff slider 20 800 440 Hz;
// read into records in file order. Header-only: both classes live here.

#include <cstddef>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "fsutil/ofxFileUtils.h"

// One declared parameter; the initial values stand for every field that its
// declaration line leaves out.
class VQParameter {
public:
    std::string type = "float";
    std::string name = "no name";
    float min = 0;
    float max = 1;
    float defaultValue = 0;
    std::string extra;
};

// The declared parameters of one patch. The list owns its records; pointers
// handed out by getParameter stay valid until the next load or destruction.
class PdPluginParameters {
public:
    PdPluginParameters() = default;
    // The list owns its records, so it is never copied; a move hands the
    // whole list over.
    PdPluginParameters(const PdPluginParameters&) = delete;
    PdPluginParameters& operator=(const PdPluginParameters&) = delete;
    PdPluginParameters(PdPluginParameters&&) noexcept = default;
    PdPluginParameters& operator=(PdPluginParameters&&) noexcept = default;
    ~PdPluginParameters() = default;

    // Replaces the list with the declarations in <folder>/<last component>.pd.
    // The list is emptied first, so a missing or unreadable file (or running
    // out of memory on a huge line) leaves it empty, never half the old one.
    void load(const char* folder) noexcept {
        parameters.clear();
        // ofxFileName needs a non-empty path; an empty one names no patch.
        if (folder == nullptr || *folder == '\0') return;
        try {
            const std::string folderPath(folder);
            const std::string patchPath = folderPath + "/" + ofxFileName(folderPath) + ".pd";
            // Only a regular file is read: a pipe would wait for a writer, and
            // a device such as /dev/zero would never end its first line.
            if (!isRegularFile(patchPath)) return;
            std::ifstream patchFile(patchPath);
            // One line at a time keeps memory bounded by the longest line.
            std::string line;
            while (std::getline(patchFile, line)) {
                if (isDeclarationLine(line)) parseParameter(line);
            }
        } catch (const std::exception&) {
            parameters.clear();
        }
    }

    // Reads one declaration line (the caller has checked it is one) and
    // appends its record; false when the line has too few tokens to name a
    // parameter, or when memory runs out.
    bool parseParameter(std::string line) noexcept {
        try {
            const std::vector<std::string> tokens = split(line, ' ');
            if (tokens.size() < kNameAndTypeTokens) {
                std::cout << "Wrong format\n" << std::endl;
                return false;
            }
            auto parameter = std::make_unique<VQParameter>();
            parameter->name = tokens[kNameToken];
            parameter->type = tokens[kTypeToken];
            if (hasValues(parameter->type)) readValues(tokens, *parameter);
            parameters.push_back(std::move(parameter));
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    // The pieces of text between delimiters. Empty pieces count (a leading or
    // doubled delimiter gives one); a trailing delimiter and an empty text
    // give none. Throws only std::bad_alloc.
    std::vector<std::string> split(const std::string& text, char delim) const {
        std::vector<std::string> tokens;
        split(text, delim, tokens);
        return tokens;
    }

    // Appends the pieces of text to tokens, which keeps what it held.
    std::vector<std::string>& split(const std::string& text, char delim,
                                    std::vector<std::string>& tokens) const {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(delim, start);
            if (end == std::string::npos) end = text.size();
            tokens.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return tokens;
    }

    int size() const noexcept { return static_cast<int>(parameters.size()); }

    // The index must lie below size(); it is not checked.
    VQParameter* getParameter(int index) const noexcept {
        return parameters[static_cast<std::size_t>(index)].get();
    }

private:
    // Token positions in "#X text <x> <y> param <name> <type> <min> <max>
    // <default> <extra>"; the last token keeps the line's closing semicolon.
    static constexpr std::size_t kNameToken = 5;
    static constexpr std::size_t kTypeToken = 6;
    static constexpr std::size_t kNameAndTypeTokens = 7;
    static constexpr std::size_t kMinToken = 7;
    static constexpr std::size_t kMaxToken = 8;
    static constexpr std::size_t kDefaultToken = 9;
    static constexpr std::size_t kExtraToken = 10;

    // A comment that starts the line and holds the word param between spaces.
    static bool isDeclarationLine(const std::string& line) {
        return line.starts_with("#X text") && line.find(" param ") != std::string::npos;
    }

    static bool isRegularFile(const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }

    // Only these type words (whole token, case-sensitive) carry values.
    static bool hasValues(const std::string& type) {
        return type == "slider" || type == "int" || type == "float";
    }

    static void readValues(const std::vector<std::string>& tokens, VQParameter& parameter) {
        if (tokens.size() > kMaxToken) {
            parameter.min = toFloat(tokens[kMinToken]);
            parameter.max = toFloat(tokens[kMaxToken]);
        }
        parameter.defaultValue =
            tokens.size() > kDefaultToken ? toFloat(tokens[kDefaultToken]) : parameter.min;
        if (tokens.size() > kExtraToken) parameter.extra = tokens[kExtraToken];
    }

    // The longest leading number of the token ("440;" gives 440, "loud" 0).
    // Values beyond a float's range become infinite rather than undefined.
    static float toFloat(const std::string& token) {
        const double value = std::atof(token.c_str());
        constexpr double kLargest = std::numeric_limits<float>::max();
        if (value > kLargest) return std::numeric_limits<float>::infinity();
        if (value < -kLargest) return -std::numeric_limits<float>::infinity();
        return static_cast<float>(value);
    }

    std::vector<std::unique_ptr<VQParameter>> parameters;
};
