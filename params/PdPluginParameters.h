#pragma once

// The parameters a patch declares as comments in its main patch file, e.g.
//   #X text 12 40 param cutoff slider 20 800 440 Hz;
// read into records in file order. Header-only: both classes live here.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fsutil/UniqueFd.h"
#include "fsutil/fileKind.h"
#include "fsutil/ofxFileUtils.h"
#include "fsutil/readBlock.h"
#include "fsutil/retryOnInterrupt.h"

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
    // out of memory) leaves it empty, never half the old one. Memory stays
    // within twice kLongestDeclaration whatever the file holds; a
    // declaration line longer than that is left out with a line on standard
    // output.
    void load(const char* folder) noexcept {
        parameters.clear();
        // ofxFileName needs a non-empty path; an empty one names no patch.
        if (folder == nullptr || *folder == '\0') return;
        try {
            const std::string folderPath(folder);
            const std::string patchPath = folderPath + "/" + ofxFileName(folderPath) + ".pd";
            // Only a regular file is read: a pipe would wait for a writer, and
            // a device such as /dev/zero would never end its first line.
            // Opening without waiting lets a pipe be told apart first.
            const UniqueFd patchFile(open(patchPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
            if (!patchFile || !isRegularFile(patchFile.get())) return;
            forEachDeclarationLine(patchFile.get(), patchPath,
                                   [this](std::string_view line) { appendDeclaration(line); });
        } catch (const std::exception&) {
            parameters.clear();
        }
    }

    // Reads one declaration line (the caller has checked it is one) and
    // appends its record; false when the line has too few tokens to name a
    // parameter, or when memory runs out.
    bool parseParameter(std::string line) noexcept { return appendDeclaration(line); }

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
        forEachPiece(text, delim,
                     [&tokens](std::string_view piece) { tokens.emplace_back(piece); });
        return tokens;
    }

    // The record of one declaration line, or nothing when the line has too
    // few tokens to name a parameter. Prints nothing: the patch check reads
    // declarations with it and reports a rejected line in its own words.
    // Throws only std::bad_alloc.
    static std::optional<VQParameter> readDeclaration(std::string_view line) {
        std::string_view tokens[kExtraToken + 1];
        std::size_t count = 0;
        forEachPiece(line, ' ', [&](std::string_view piece) {
            if (count < std::size(tokens)) tokens[count] = piece;
            ++count;
        });
        if (count < kNameAndTypeTokens) return std::nullopt;
        VQParameter parameter;
        parameter.name = tokens[kNameToken];
        parameter.type = tokens[kTypeToken];
        if (hasValues(parameter.type)) readValues(tokens, count, parameter);
        return parameter;
    }

    // Only these type words (whole token, case-sensitive) carry values.
    static bool hasValues(const std::string& type) {
        return type == "slider" || type == "int" || type == "float";
    }

    // Calls declare with each declaration line among `lines` (whole lines;
    // the last one may lack its line feed), without the line feed. Only the
    // lines that hold " param " are looked at: the word is searched for over
    // the whole text, which is the same as testing line by line because it
    // holds no line feed.
    template <typename Declare>
    static void forEachDeclarationIn(std::string_view lines, Declare& declare) {
        std::size_t lineStart = 0;
        while (lineStart < lines.size()) {
            const void* found = memmem(lines.data() + lineStart, lines.size() - lineStart,
                                       kParamWord.data(), kParamWord.size());
            if (!found) return;
            const std::size_t at =
                static_cast<std::size_t>(static_cast<const char*>(found) - lines.data());
            const std::size_t feedBefore = lines.rfind('\n', at);
            const std::size_t start = feedBefore == std::string_view::npos ? 0 : feedBefore + 1;
            std::size_t end = lines.find('\n', at);
            if (end == std::string_view::npos) end = lines.size();
            const std::string_view line = lines.substr(start, end - start);
            if (line.starts_with(kCommentStart)) declare(line);
            lineStart = end + 1;
        }
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

    // A declaration line is a comment that starts the line and holds the word
    // param between spaces.
    static constexpr std::string_view kCommentStart = "#X text";
    static constexpr std::string_view kParamWord = " param ";
    // Longer declaration lines, counted with their line feed, are ignored, so
    // that memory stays bounded. A parameter name of millions of accents is
    // still read whole.
    static constexpr std::size_t kLongestDeclaration = 32 * 1024 * 1024;

    // Calls visit with each piece of text between delimiters, the way split
    // cuts it.
    template <typename Visit>
    static void forEachPiece(std::string_view text, char delim, Visit visit) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(delim, start);
            if (end == std::string_view::npos) end = text.size();
            visit(text.substr(start, end - start));
            start = end + 1;
        }
    }

    // Reads the file in blocks and calls declare with each declaration line
    // in file order, the line feed removed. A line that does not fit in a
    // block waits for the rest of it (the buffer grows for a longer line)
    // only while it may be a declaration: one that does not begin like one is
    // passed over as it is read, and one longer than kLongestDeclaration is
    // passed over too, with a line on standard output.
    template <typename Declare>
    static void forEachDeclarationLine(int fd, const std::string& path, Declare declare) {
        std::vector<char> buffer(kReadBlockBytes);
        std::size_t filled = 0;
        std::uint64_t readSoFar = 0;
        bool passingOver = false;  // until the line feed of the current line
        for (;;) {
            if (filled == buffer.size()) {
                // One unfinished line fills the buffer.
                passingOver = !std::string_view(buffer.data(), filled).starts_with(kCommentStart) ||
                              filled == kLongestDeclaration;
                if (passingOver && filled == kLongestDeclaration)
                    std::cout << path << ": line " << lineNumberAt(fd, readSoFar - filled)
                              << " longer than " << kLongestDeclaration / (1024 * 1024)
                              << " MiB, ignored" << std::endl;
                if (passingOver)
                    filled = 0;
                else
                    buffer.resize(std::min(buffer.size() * 2, kLongestDeclaration));
            }
            const std::size_t got = readSome(fd, buffer.data() + filled, buffer.size() - filled);
            if (got == 0) break;
            readSoFar += got;
            std::string_view fresh(buffer.data() + filled, got);
            if (passingOver) {
                const std::size_t feed = fresh.find('\n');
                if (feed == std::string_view::npos) continue;
                passingOver = false;
                fresh.remove_prefix(feed + 1);
                std::memmove(buffer.data(), fresh.data(), fresh.size());
                fresh = std::string_view(buffer.data(), fresh.size());
            }
            // What was kept from the last block holds no line feed, so the
            // last one lies in what just arrived.
            const std::size_t lastFeed = fresh.rfind('\n');
            filled = static_cast<std::size_t>(fresh.data() - buffer.data()) + fresh.size();
            if (lastFeed == std::string_view::npos) continue;
            const std::string_view lines(buffer.data(), filled - fresh.size() + lastFeed + 1);
            forEachDeclarationIn(lines, declare);
            std::memmove(buffer.data(), buffer.data() + lines.size(), filled - lines.size());
            filled -= lines.size();
        }
        // A last line without a line feed counts too.
        if (filled > 0 && !passingOver)
            forEachDeclarationIn(std::string_view(buffer.data(), filled), declare);
    }

    // The number of the line that begins at `offset`. Lines are counted only
    // for this rare message, so that reading never pays for it.
    static std::size_t lineNumberAt(int fd, std::uint64_t offset) {
        std::vector<char> block(kReadBlockBytes);
        std::size_t feeds = 0;
        for (std::uint64_t at = 0; at < offset;) {
            const ssize_t got = retryOnInterrupt([&] {
                return pread(fd, block.data(), std::min<std::uint64_t>(block.size(), offset - at),
                             static_cast<off_t>(at));
            });
            if (got <= 0) break;
            feeds += static_cast<std::size_t>(std::count(block.data(), block.data() + got, '\n'));
            at += static_cast<std::uint64_t>(got);
        }
        return feeds + 1;
    }

    // Up to `size` bytes into `into`; 0 at the end of the file or on an error.
    static std::size_t readSome(int fd, char* into, std::size_t size) {
        const ssize_t got = retryOnInterrupt([&] { return read(fd, into, size); });
        return got >= 0 ? static_cast<std::size_t>(got) : 0;
    }

    // Appends the record of one declaration line; false when the line has
    // too few tokens to name a parameter, or when memory runs out. The tokens
    // are views into the line: only the fields kept are copied.
    bool appendDeclaration(std::string_view line) noexcept {
        try {
            std::optional<VQParameter> parameter = readDeclaration(line);
            if (!parameter) {
                std::cout << "Wrong format\n" << std::endl;
                return false;
            }
            parameters.push_back(std::make_unique<VQParameter>(std::move(*parameter)));
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    static void readValues(const std::string_view* tokens, std::size_t count,
                           VQParameter& parameter) {
        if (count > kMaxToken) {
            parameter.min = toFloat(tokens[kMinToken]);
            parameter.max = toFloat(tokens[kMaxToken]);
        }
        parameter.defaultValue =
            count > kDefaultToken ? toFloat(tokens[kDefaultToken]) : parameter.min;
        if (count > kExtraToken) parameter.extra = tokens[kExtraToken];
    }

    // The longest leading number of the token ("440;" gives 440, "loud" 0),
    // read as Pd writes numbers, with a decimal point, whatever the process's
    // locale (a window in a German session would read "0.5" as 0). Values
    // beyond a float's range become infinite rather than undefined.
    static float toFloat(std::string_view token) {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
        // strtod reads up to a NUL, so the token gets one of its own.
        const std::string text(token);
        const double value = strtod_l(text.c_str(), nullptr, cLocale);
        constexpr double kLargest = std::numeric_limits<float>::max();
        if (value > kLargest) return std::numeric_limits<float>::infinity();
        if (value < -kLargest) return -std::numeric_limits<float>::infinity();
        return static_cast<float>(value);
    }

    std::vector<std::unique_ptr<VQParameter>> parameters;
};
