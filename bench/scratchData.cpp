#include "bench/scratchData.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kBlockBytes = std::uint64_t{1} << 20;
constexpr int kFilesPerFolder = 100;
constexpr std::uint64_t kSmallFileBytes = 1024;

const char* const kObjects[] = {"osc~ 440",
                                "*~ 0.5",
                                "dac~",
                                "adc~",
                                "lop~ 1000",
                                "hip~ 20",
                                "vcf~ 1",
                                "line~",
                                "metro 250",
                                "t b f",
                                "pack f f",
                                "unpack f f",
                                "r cutoff",
                                "s gain",
                                "tabread4~ sample",
                                "readsf~ 2",
                                "delwrite~ del 1000",
                                "vd~ del",
                                "clip~ -1 1",
                                "env~ 1024"};

class Output {
public:
    explicit Output(const std::string& path) : path_(path), file_(path, std::ios::binary) {
        if (!file_) throw std::runtime_error("cannot create " + path);
    }
    void write(const char* data, std::uint64_t size) {
        file_.write(data, static_cast<std::streamsize>(size));
    }
    void write(const std::string& text) { write(text.data(), text.size()); }
    void close() {
        file_.close();
        if (!file_) throw std::runtime_error("cannot write " + path_);
    }

private:
    std::string path_;
    std::ofstream file_;
};

// Repeats `block` until `bytes` bytes are written.
void writeRepeated(const std::string& path, const std::string& block, std::uint64_t bytes) {
    Output output(path);
    for (std::uint64_t done = 0; done < bytes;) {
        const std::uint64_t piece = std::min<std::uint64_t>(block.size(), bytes - done);
        output.write(block.data(), piece);
        done += piece;
    }
    output.close();
}

const std::string& sampleBlock() {
    static const std::string block = [] {
        std::string bytes(kBlockBytes, '\0');
        std::mt19937 random(7);
        for (char& byte : bytes) byte = static_cast<char>(random());
        return bytes;
    }();
    return block;
}

// About a megabyte of the shape (one line for the repeated line).
std::string unmarkedBlock(UnmarkedShape shape) {
    switch (shape) {
        case UnmarkedShape::patchText:
            return patchLines(kBlockBytes, 1);
        case UnmarkedShape::oneLineRepeated:
            return "#X obj 10 10 osc~ 440 some more text here;\n";
        case UnmarkedShape::nearMisses: {
            const char* const words[] = {"note", "noteon", "noteout", "notei"};
            std::mt19937 random(3);
            std::string text;
            while (text.size() < kBlockBytes) {
                text += words[random() % std::size(words)];
                text += random() % 8 == 0 ? '\n' : ' ';
            }
            return text;
        }
        case UnmarkedShape::noLineFeed: {
            std::string text = patchLines(kBlockBytes, 1);
            std::replace(text.begin(), text.end(), '\n', ' ');
            return text;
        }
        case UnmarkedShape::randomBytes:
            return sampleBlock();
    }
    throw std::logic_error("unknown shape");
}

std::string numbered(const std::string& stem, int number, int width) {
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return stem + digits;
}

}  // namespace

std::string patchLines(std::uint64_t bytes, std::uint32_t seed) {
    std::mt19937 random(seed);
    auto upTo = [&](int limit) { return std::to_string(random() % static_cast<unsigned>(limit)); };
    std::string text;
    while (text.size() < bytes) {
        const unsigned kind = random() % 20;
        if (kind < 10) {
            text += "#X obj " + upTo(800) + " " + upTo(600) + " " +
                    kObjects[random() % std::size(kObjects)] + ";\n";
        } else if (kind < 16) {
            text +=
                "#X connect " + upTo(200) + " " + upTo(4) + " " + upTo(200) + " " + upTo(4) + ";\n";
        } else if (kind < 18) {
            text += "#X msg " + upTo(800) + " " + upTo(600) + " " + upTo(1000) + ";\n";
        } else if (kind < 19) {
            text += "#X floatatom " + upTo(800) + " " + upTo(600) + " 5 0 0 0 - - -;\n";
        } else {
            text += "#X text " + upTo(800) + " " + upTo(600) + " cutoff and gain section;\n";
        }
    }
    text.resize(bytes);
    return text;
}

void writePatchFile(const std::string& path, std::uint64_t bytes) {
    writeRepeated(path, patchLines(std::min(bytes, kBlockBytes), 1), bytes);
}

void writeSampleFile(const std::string& path, std::uint64_t bytes) {
    writeRepeated(path, sampleBlock(), bytes);
}

void writeUnmarkedFile(const std::string& path, UnmarkedShape shape, std::uint64_t bytes) {
    const std::string block = unmarkedBlock(shape);
    const std::string_view marker = "notein";
    // The end of one copy runs on into the start of the next.
    const std::string seam = block + block.substr(0, std::min(block.size(), marker.size() - 1));
    if (seam.find(marker) != std::string::npos)
        throw std::runtime_error("the generated data holds the marker: " + path);
    writeRepeated(path, block, bytes);
}

void makePatchFolder(const std::string& folder, int files, std::uint64_t totalBytes) {
    const std::string name = fs::path(folder).filename();
    makeDirectories(folder);
    const std::uint64_t eachFile = totalBytes / static_cast<std::uint64_t>(files);
    writePatchFile(folder + "/" + name + ".pd", eachFile);
    for (int sample = 1; sample < files; ++sample) {
        const std::string subfolder =
            folder + "/" + numbered("samples-", (sample - 1) / kFilesPerFolder, 2);
        if ((sample - 1) % kFilesPerFolder == 0) makeDirectories(subfolder);
        writeSampleFile(subfolder + "/" + numbered("take-", sample, 4) + ".wav", eachFile);
    }
}

void makePatchFolders(const std::string& typeDir, int folders, const std::string& patchFile) {
    makeDirectories(typeDir);
    writePatchFile(patchFile, 512);
    for (int index = 0; index < folders; ++index) {
        const std::string name = numbered("Effect-", index, 5);
        makeDirectories(typeDir + "/" + name);
        makeLink(patchFile, typeDir + "/" + name + "/" + name + ".pd");
    }
}

void makeCheckedLibrary(const std::string& root, int patches, const std::string& work) {
    // A canvas of `boxes` objects, each but the first connected from the one
    // before it, as a saved patch holds them.
    std::mt19937 random(7);
    auto canvas = [&random](int boxes) {
        std::string text;
        for (int box = 0; box < boxes; ++box)
            text += "#X obj " + std::to_string(random() % 800) + " " +
                    std::to_string(random() % 600) + " " +
                    kObjects[random() % std::size(kObjects)] + ";\n";
        for (int box = 1; box < boxes; ++box)
            text += "#X connect " + std::to_string(box - 1) + " 0 " + std::to_string(box) + " " +
                    std::to_string(random() % 2) + ";\n";
        return text;
    };
    const std::string mainPatch = work + "/Checked.pd", voice = work + "/voice.pd";
    Output output(mainPatch);
    output.write("#N canvas 0 50 450 300 12;\n#N canvas 0 50 450 300 filters 0;\n" +
                 canvas(40) + "#X restore 10 100 pd filters;\n" + canvas(40) +
                 "#X obj 10 10 adc~;\n#X obj 10 40 voice;\n"
                 "#X text 12 70 param cutoff slider 20 800 440 Hz;\n");
    output.close();
    Output abstraction(voice);
    abstraction.write("#N canvas 0 50 450 300 12;\n" + canvas(30) + "#X obj 10 80 dac~;\n");
    abstraction.close();
    for (int index = 0; index < patches; ++index) {
        const std::string name = numbered("Checked-", index, 5);
        makeDirectories(root + "/" + name);
        makeLink(mainPatch, root + "/" + name + "/" + name + ".pd");
        makeLink(voice, root + "/" + name + "/voice.pd");
    }
}

void makeFileTree(const std::string& root, int files, const std::string& sampleFolder) {
    if (!fs::exists(sampleFolder)) {
        makeDirectories(sampleFolder);
        for (int slot = 0; slot < kFilesPerFolder; ++slot)
            writeSampleFile(sampleFolder + "/" + numbered("take-", slot, 2) + ".wav",
                            kSmallFileBytes);
    }
    for (int file = 0; file < files; ++file) {
        const std::string folder = root + "/" + numbered("patch-", file / kFilesPerFolder, 4);
        if (file % kFilesPerFolder == 0) makeDirectories(folder);
        const std::string name = numbered("take-", file % kFilesPerFolder, 2) + ".wav";
        makeLink(sampleFolder + "/" + name, folder + "/" + name);
    }
}

void makeDeclaringPatch(const std::string& folder, std::uint64_t bytes, int declarations) {
    makeDirectories(folder);
    const std::string name = fs::path(folder).filename();
    // Other lines fill the space between declarations; a varied pool of them
    // keeps the file from being one short pattern repeated.
    const std::string filler = patchLines(kBlockBytes, 5);
    Output output(folder + "/" + name + ".pd");
    output.write("#N canvas 0 50 450 300 12;\n");
    std::uint64_t written = 0, fillerAt = 0;
    std::mt19937 random(11);
    for (int index = 0; index < declarations; ++index) {
        const std::string line = "#X text 12 " + std::to_string(40 + index % 500) + " param " +
                                 numbered("knob", index, 6) + " slider 20 800 " +
                                 std::to_string(random() % 800) + " Hz;\n";
        output.write(line);
        written += line.size();
        // Whole filler lines up to this declaration's share of the file.
        const std::uint64_t share = bytes * static_cast<std::uint64_t>(index + 1) /
                                    static_cast<std::uint64_t>(declarations);
        while (written < share) {
            std::size_t end = filler.find('\n', fillerAt);
            if (end == std::string::npos) {
                fillerAt = 0;
                continue;
            }
            output.write(filler.data() + fillerAt, end + 1 - fillerAt);
            written += end + 1 - fillerAt;
            fillerAt = end + 1;
        }
    }
    output.close();
}

void makeLongDeclarationPatch(const std::string& folder, const std::string& before,
                              const std::string& unit, int units, const std::string& after) {
    makeDirectories(folder);
    const std::string name = fs::path(folder).filename();
    Output output(folder + "/" + name + ".pd");
    output.write("#N canvas 0 50 450 300 12;\n#X text 12 40 param " + before);
    constexpr int kUnitsAtOnce = 4096;
    std::string run;
    for (int unit_ = 0; unit_ < kUnitsAtOnce; ++unit_) run += unit;
    for (int written = 0; written < units; written += kUnitsAtOnce)
        output.write(run.data(), unit.size() * static_cast<std::uint64_t>(
                                                   std::min(kUnitsAtOnce, units - written)));
    output.write(after + ";\n#X obj 10 10 dac~;\n");
    output.close();
}

void makeLink(const std::string& existing, const std::string& path) {
    std::error_code error;
    fs::create_hard_link(existing, path, error);
    if (error) throw std::runtime_error("cannot link " + path + ": " + error.message());
}

void makeDirectories(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) throw std::runtime_error("cannot create " + path + ": " + error.message());
}

void removeTree(const std::string& path) {
    std::error_code error;
    fs::remove_all(path, error);
    if (error) throw std::runtime_error("cannot remove " + path + ": " + error.message());
}

void parkTree(const std::string& path, const std::string& parkFolder) {
    static int parked = 0;
    if (!fs::exists(fs::symlink_status(path))) return;
    makeDirectories(parkFolder);
    fs::rename(path, parkFolder + "/" + std::to_string(++parked));
}
