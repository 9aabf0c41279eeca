#include "bench/works.h"

#include "bench/childRun.h"
#include "bench/scratchData.h"
#include "library/VQAUUtils.h"

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

std::string countText(std::uint64_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) text += ',';
        text += digits[at];
    }
    return text;
}

std::string bytesText(std::uint64_t bytes) {
    double value = static_cast<double>(bytes) / static_cast<double>(kMiB);
    const char* unit = "MiB";
    if (value >= 1024) {
        value /= 1024;
        unit = "GiB";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3g %s", value, unit);
    return text;
}

bool sameBytes(const std::string& first, const std::string& second) {
    std::ifstream a(first, std::ios::binary), b(second, std::ios::binary);
    if (!a || !b) return false;
    std::vector<char> bufferA(1 << 20), bufferB(1 << 20);
    for (;;) {
        a.read(bufferA.data(), static_cast<std::streamsize>(bufferA.size()));
        b.read(bufferB.data(), static_cast<std::streamsize>(bufferB.size()));
        if (a.gcount() != b.gcount() ||
            !std::equal(bufferA.begin(), bufferA.begin() + a.gcount(), bufferB.begin()))
            return false;
        if (a.gcount() == 0) return true;
    }
}

std::uint64_t countFiles(const std::string& root) {
    std::uint64_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) ++files;
    return files;
}

std::vector<std::string> ourCommand(const BenchPaths& paths, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {paths.helper, "--one"});
    return arguments;
}

Comparison copyFile(const BenchPaths& paths, int divisor, std::string& size) {
    const std::uint64_t bytes = 256 * kMiB / static_cast<std::uint64_t>(divisor);
    size = bytesText(bytes);
    const std::string source = paths.work + "/take.wav";
    const std::string oursCopy = paths.work + "/ours.wav";
    const std::string theirsCopy = paths.work + "/theirs.wav";
    writeSampleFile(source, bytes);
    Comparison comparison;
    comparison.ours.command = ourCommand(paths, {"copy", source, oursCopy});
    comparison.ours.prepare = [=] { removeTree(oursCopy); };
    comparison.ours.succeeded = [=](const ChildRun& run) {
        return run.exitCode == 0 && sameBytes(source, oursCopy);
    };
    comparison.theirs.command = {"cp", source, theirsCopy};
    comparison.theirs.prepare = [=] { removeTree(theirsCopy); };
    comparison.theirs.succeeded = exitsWith(0);
    return comparison;
}

Comparison installFolder(const BenchPaths& paths, int divisor, std::string& size) {
    const int files = 2000 / divisor;
    const std::uint64_t bytes = 200 * kMiB / static_cast<std::uint64_t>(divisor);
    size = countText(static_cast<std::uint64_t>(files)) + " files, " + bytesText(bytes);
    const std::string source = paths.work + "/Drums";
    const std::string installed = std::string(EFFECTS_DIR) + "/Drums";
    const std::string copyFolder = paths.work + "/cp";
    const std::string copied = copyFolder + "/Drums";
    makePatchFolder(source, files, bytes);
    Comparison comparison;
    comparison.ours.command = ourCommand(paths, {"install", source});
    comparison.ours.prepare = [=] { removeTree(installed); };
    comparison.ours.succeeded = [=](const ChildRun& run) {
        return run.exitCode == 0 && countFiles(installed) == static_cast<std::uint64_t>(files);
    };
    comparison.theirs.command = {"cp", "-R", source, copied};
    comparison.theirs.prepare = [=] {
        removeTree(copied);
        makeDirectories(copyFolder);
    };
    comparison.theirs.succeeded = exitsWith(0);
    return comparison;
}

// Installing a patch from an archive that bsdtar made (`create` names its
// format and compression), against bsdtar extracting the same archive. Both
// write below the effects folder, so that the file system places their
// files alike, and the copies of earlier runs are parked, not removed (see
// parkTree); they go with the work's data.
Work::SetUp installArchive(std::string extension, std::vector<std::string> create) {
    return [=](const BenchPaths& paths, int divisor, std::string& size) {
        const int files = 2000 / divisor;
        const std::uint64_t bytes = 200 * kMiB / static_cast<std::uint64_t>(divisor);
        size = countText(static_cast<std::uint64_t>(files)) + " files, " + bytesText(bytes);
        const std::string made = paths.work + "/made";
        const std::string archive = paths.work + "/Drums" + extension;
        const std::string installed = std::string(EFFECTS_DIR) + "/Drums";
        // Hidden, so the importer takes it for no patch of its own.
        const std::string extracted = std::string(EFFECTS_DIR) + "/.bsdtar";
        const std::string parked = paths.work + "/parked";
        makePatchFolder(made + "/Drums", files, bytes);
        std::vector<std::string> bsdtar = {"bsdtar", "-c"};
        bsdtar.insert(bsdtar.end(), create.begin(), create.end());
        bsdtar.insert(bsdtar.end(), {"-f", archive, "-C", made, "Drums"});
        if (runChild(bsdtar, ChildOutput::discard).exitCode != 0)
            throw std::runtime_error("bsdtar could not make " + archive);
        parkTree(made, parked);
        Comparison comparison;
        comparison.ours.command = ourCommand(paths, {"install", archive});
        comparison.ours.prepare = [=] { parkTree(installed, parked); };
        comparison.ours.succeeded = [=](const ChildRun& run) {
            return run.exitCode == 0 && countFiles(installed) == static_cast<std::uint64_t>(files);
        };
        comparison.theirs.command = {"bsdtar", "-xf", archive, "-C", extracted};
        comparison.theirs.prepare = [=] {
            parkTree(extracted, parked);
            makeDirectories(extracted);
        };
        comparison.theirs.succeeded = exitsWith(0);
        return comparison;
    };
}

// Exporting the patch folder of the install row to a .zip, against bsdtar
// making a .zip of the same folder.
Comparison exportFolder(const BenchPaths& paths, int divisor, std::string& size) {
    const int files = 2000 / divisor;
    const std::uint64_t bytes = 200 * kMiB / static_cast<std::uint64_t>(divisor);
    size = countText(static_cast<std::uint64_t>(files)) + " files, " + bytesText(bytes);
    const std::string source = paths.work + "/Drums";
    const std::string ours = paths.work + "/ours.zip", theirs = paths.work + "/theirs.zip";
    makePatchFolder(source, files, bytes);
    Comparison comparison;
    comparison.ours.command = ourCommand(paths, {"export", source, ours});
    comparison.ours.prepare = [=] { removeTree(ours); };
    comparison.ours.succeeded = [=](const ChildRun& run) {
        return run.exitCode == 0 && fs::file_size(ours) > 0;
    };
    comparison.theirs.command = {"bsdtar", "-a", "-cf", theirs, "-C", paths.work, "Drums"};
    comparison.theirs.prepare = [=] { removeTree(theirs); };
    comparison.theirs.succeeded = exitsWith(0);
    return comparison;
}

// Classifying a file of the shape, against `grep` counting the lines that hold
// the marker: none, so it prints 0 and exits with 1.
Work::SetUp classifyFile(UnmarkedShape shape, std::vector<std::string> grep) {
    return [=](const BenchPaths& paths, int divisor, std::string& size) {
        const std::uint64_t bytes = 1024 * kMiB / static_cast<std::uint64_t>(divisor);
        size = bytesText(bytes);
        const std::string patch = paths.work + "/Big.pd";
        writeUnmarkedFile(patch, shape, bytes);
        Comparison comparison;
        comparison.ours.command = ourCommand(paths, {"gettype", patch});
        comparison.ours.succeeded = exitsWith(0);
        comparison.theirs.command = grep;
        comparison.theirs.command.push_back(patch);
        comparison.theirs.output = ChildOutput::capture;
        comparison.theirs.succeeded = printsAndExits("0\n", 1);
        return comparison;
    };
}

Comparison listPatches(const BenchPaths& paths, int divisor, std::string& size) {
    const int folders = 20000 / divisor;
    size = countText(static_cast<std::uint64_t>(folders)) + " folders";
    makePatchFolders(EFFECTS_DIR, folders, paths.work + "/Effect.pd");
    Comparison comparison;
    comparison.ours.command = ourCommand(paths, {"loadpatches", std::to_string(folders)});
    comparison.ours.succeeded = exitsWith(0);
    comparison.theirs.command = {"find",      EFFECTS_DIR, "-mindepth", "1",
                                 "-maxdepth", "1",         "-type",     "d"};
    comparison.theirs.succeeded = exitsWith(0);
    return comparison;
}

Comparison deleteTree(const BenchPaths& paths, int divisor, std::string& size) {
    const int files = 100000 / divisor;
    size = countText(static_cast<std::uint64_t>(files)) + " files";
    const std::string tree = paths.work + "/tree";
    const std::string samples = paths.work + "/samples";
    auto makeTree = [=] {
        removeTree(tree);
        makeFileTree(tree, files, samples);
    };
    Comparison comparison;
    comparison.ours.command = ourCommand(paths, {"deletedir", tree});
    comparison.ours.prepare = makeTree;
    comparison.ours.succeeded = [=](const ChildRun& run) {
        return run.exitCode == 0 && !fs::exists(tree);
    };
    comparison.theirs.command = {"rm", "-rf", tree};
    comparison.theirs.prepare = makeTree;
    comparison.theirs.succeeded = exitsWith(0);
    return comparison;
}

Comparison readParameters(const BenchPaths& paths, int divisor, std::string& size) {
    const std::uint64_t bytes = 100 * kMiB / static_cast<std::uint64_t>(divisor);
    const int declarations = 200000 / divisor;
    size = bytesText(bytes) + ", " + countText(static_cast<std::uint64_t>(declarations)) +
           " declarations";
    const std::string folder = paths.work + "/Synth";
    makeDeclaringPatch(folder, bytes, declarations);
    Comparison comparison;
    comparison.ours.command = ourCommand(paths, {"params", folder, std::to_string(declarations)});
    comparison.ours.succeeded = exitsWith(0);
    comparison.theirs.command = {"grep", "-c", " param ", folder + "/Synth.pd"};
    comparison.theirs.output = ChildOutput::capture;
    comparison.theirs.succeeded = printsAndExits(std::to_string(declarations) + "\n", 0);
    return comparison;
}

Comparison checkLibrary(const BenchPaths& paths, int divisor, std::string& size) {
    const int patches = 20000 / divisor;
    size = countText(static_cast<std::uint64_t>(patches)) + " patches";
    const std::string root = paths.work + "/checked";
    makeCheckedLibrary(root, patches, paths.work);
    Comparison comparison;
    comparison.ours.command = ourCommand(paths, {"check", root, std::to_string(patches)});
    comparison.ours.succeeded = exitsWith(0);
    comparison.theirs.command = {"grep", "-r", "-c", "-F", "dac~", root};
    comparison.theirs.succeeded = exitsWith(0);
    return comparison;
}

// Swaps the installed effects in and out of the library between runs, so the
// window starts once with them and once with an empty library.
class EffectsSwitch {
public:
    explicit EffectsSwitch(std::string parked) : parked_(std::move(parked)) {}
    void useInstalled() {
        if (!fs::exists(parked_)) return;
        fs::remove(EFFECTS_DIR);
        fs::rename(parked_, EFFECTS_DIR);
    }
    void useEmpty() {
        if (fs::exists(parked_)) return;
        fs::rename(EFFECTS_DIR, parked_);
        makeDirectories(EFFECTS_DIR);
    }

private:
    std::string parked_;
};

Comparison startWindow(const BenchPaths& paths, int divisor, std::string& size) {
    const int effects = 20000 / divisor;
    size = countText(static_cast<std::uint64_t>(effects)) + " effects";
    makePatchFolders(EFFECTS_DIR, effects, paths.work + "/Effect.pd");
    auto effectsSwitch = std::make_shared<EffectsSwitch>(paths.work + "/parked-effects");
    Comparison comparison;
    for (Side* side : {&comparison.ours, &comparison.theirs}) {
        side->command = {paths.windowProgram};
        side->output = ChildOutput::capture;
        side->reportsSeconds = true;
        side->succeeded = exitsWith(0);
    }
    comparison.ours.prepare = [effectsSwitch] { effectsSwitch->useInstalled(); };
    comparison.theirs.prepare = [effectsSwitch] { effectsSwitch->useEmpty(); };
    return comparison;
}

// The window with one of two effects selected before its first frame: ours
// selects the one whose parameter is named "a" and millions of combining
// accents, the baseline one whose declaration line is as long but whose name
// is plain (the rest of its line is plain text), so that both cost the
// parameter reader the same and the figures differ by the window alone.
Comparison paintAccentName(const BenchPaths& paths, int divisor, std::string& size) {
    const int accents = 2000000 / divisor;
    const std::string accentPatch = std::string(EFFECTS_DIR) + "/Accents";
    makeLongDeclarationPatch(accentPatch, "a", "\xcc\x81", accents, " float 0 1 0.5");
    makeLongDeclarationPatch(std::string(EFFECTS_DIR) + "/Plain", "gain float 0 1 0.5 ", "ab",
                             accents, "");
    size = countText(static_cast<std::uint64_t>(accents)) + " accents, " +
           bytesText(fs::file_size(accentPatch + "/Accents.pd"));
    Comparison comparison;
    comparison.ours.command = {paths.windowProgram, "--select", "Accents"};
    comparison.theirs.command = {paths.windowProgram, "--select", "Plain"};
    for (Side* side : {&comparison.ours, &comparison.theirs}) {
        side->output = ChildOutput::capture;
        side->reportsSeconds = true;
        side->succeeded = exitsWith(0);
    }
    return comparison;
}

Comparison searchKeystroke(const BenchPaths& paths, int divisor, std::string& size) {
    const int effects = 20000 / divisor;
    size = countText(static_cast<std::uint64_t>(effects)) + " effects, \"1234\" typed, erased";
    makePatchFolders(EFFECTS_DIR, effects, paths.work + "/Effect.pd");
    Comparison comparison;
    comparison.ours.command = {paths.windowProgram, "--search", "1234"};
    comparison.ours.output = ChildOutput::capture;
    comparison.ours.reportsSeconds = true;
    comparison.ours.succeeded = exitsWith(0);
    return comparison;
}

Comparison drawPatch(const BenchPaths& paths, int divisor, std::string& size) {
    const int boxes = 2000 / divisor;
    size = countText(static_cast<std::uint64_t>(boxes)) + " boxes, " +
           countText(static_cast<std::uint64_t>(boxes * 3 / 2)) + " connections";
    Comparison comparison;
    comparison.ours.command = {paths.windowProgram, "--draw", std::to_string(boxes)};
    comparison.ours.output = ChildOutput::capture;
    comparison.ours.reportsSeconds = true;
    comparison.ours.succeeded = exitsWith(0);
    return comparison;
}

Comparison folderMadeOutside(const BenchPaths& paths, int divisor, std::string& size) {
    const int effects = 20000 / divisor;
    size = countText(static_cast<std::uint64_t>(effects)) + " effects";
    makePatchFolders(EFFECTS_DIR, effects, paths.work + "/Effect.pd");
    const std::string made = std::string(EFFECTS_DIR) + "/Made Outside";
    Comparison comparison;
    comparison.ours.command = {paths.windowProgram, "--appear", "Made Outside"};
    comparison.ours.prepare = [made] { removeTree(made); };
    comparison.ours.output = ChildOutput::capture;
    comparison.ours.reportsSeconds = true;
    comparison.ours.succeeded = exitsWith(0);
    return comparison;
}

// The installs in the window: the patch folder of the install row, installed
// by the window program in the mode given, into a library without it.
Comparison windowInstall(const BenchPaths& paths, int divisor, std::string& size,
                         const std::string& ourMode, const std::string& theirMode) {
    const int files = 2000 / divisor;
    const std::uint64_t bytes = 200 * kMiB / static_cast<std::uint64_t>(divisor);
    size = countText(static_cast<std::uint64_t>(files)) + " files, " + bytesText(bytes);
    const std::string source = paths.work + "/Drums";
    const std::string installed = std::string(EFFECTS_DIR) + "/Drums";
    makePatchFolder(source, files, bytes);
    Comparison comparison;
    comparison.ours.command = {paths.windowProgram, ourMode, source};
    if (!theirMode.empty()) comparison.theirs.command = {paths.windowProgram, theirMode, source};
    for (Side* side : {&comparison.ours, &comparison.theirs}) {
        side->prepare = [installed] { removeTree(installed); };
        side->output = ChildOutput::capture;
        side->reportsSeconds = true;
        side->succeeded = exitsWith(0);
    }
    return comparison;
}

Comparison installThroughWorker(const BenchPaths& paths, int divisor, std::string& size) {
    return windowInstall(paths, divisor, size, "--install", "--install-on-the-spot");
}

// The window over a library of effects while another process makes and
// removes 1,000 patch folders a second among them for 5 s.
Comparison answerDuringStorm(const BenchPaths& paths, int divisor, std::string& size) {
    const int effects = 20000 / divisor;
    size =
        countText(static_cast<std::uint64_t>(effects)) + " effects, 5 s of 1,000 folders a second";
    makePatchFolders(EFFECTS_DIR, effects, paths.work + "/Effect.pd");
    Comparison comparison;
    comparison.ours.command = {paths.windowProgram, "--storm", "5"};
    // What the last storm left is removed; the effects themselves stay.
    comparison.ours.prepare = [] {
        for (const auto& entry : fs::directory_iterator(EFFECTS_DIR))
            if (entry.path().filename().string().starts_with("Storm-")) removeTree(entry.path());
    };
    comparison.ours.output = ChildOutput::capture;
    comparison.ours.reportsSeconds = true;
    comparison.ours.succeeded = exitsWith(0);
    return comparison;
}

Comparison answerDuringInstall(const BenchPaths& paths, int divisor, std::string& size) {
    return windowInstall(paths, divisor, size, "--answer-during-install", "");
}

// The window opened on the patches of the check row, among the effects:
// from its making until its check of them all is done.
Comparison answerDuringCheck(const BenchPaths& paths, int divisor, std::string& size) {
    const int patches = 20000 / divisor;
    size = countText(static_cast<std::uint64_t>(patches)) + " effects";
    makeCheckedLibrary(EFFECTS_DIR, patches, paths.work);
    Comparison comparison;
    comparison.ours.command = {paths.windowProgram, "--answer-during-check"};
    comparison.ours.output = ChildOutput::capture;
    comparison.ours.reportsSeconds = true;
    comparison.ours.succeeded = exitsWith(0);
    return comparison;
}

}  // namespace

std::vector<Work> benchWorks(const BenchPaths& paths) {
    const Target kClassifyTarget{1.2, 16 * 1024, 0, "<= 1.2, peak < 16 MiB"};
    const std::vector<std::string> kGrepCount{"grep", "-c", "-F", "notein"};
    std::vector<Work> works = {
        {"ofxCopyFile", "cp", {1.1, 0, 0, "<= 1.1"}, copyFile},
        {"installFiles (patch folder)", "cp -R", {1.15, 0, 0, "<= 1.15"}, installFolder},
        {"installFiles (.tar.gz archive)",
         "bsdtar -xf",
         {1.2, 0, 0, "<= 1.2"},
         installArchive(".tar.gz", {"-z"})},
        {"installFiles (.zip archive)",
         "bsdtar -xf",
         {1.2, 0, 0, "<= 1.2"},
         installArchive(".zip", {"--format", "zip"})},
        {"exportPatches (patch folder to .zip)",
         "bsdtar -a -cf x.zip",
         {1.2, 0, 0, "<= 1.2"},
         exportFolder},
        {"getType (patch text)", "grep -c -F notein", kClassifyTarget,
         classifyFile(UnmarkedShape::patchText, kGrepCount)},
        {"getType (one line repeated)", "grep -c -F notein", kClassifyTarget,
         classifyFile(UnmarkedShape::oneLineRepeated, kGrepCount)},
        {"getType (near misses)", "grep -c -F notein", kClassifyTarget,
         classifyFile(UnmarkedShape::nearMisses, kGrepCount)},
        {"getType (no line feed)", "grep -c -F notein", kClassifyTarget,
         classifyFile(UnmarkedShape::noLineFeed, kGrepCount)},
        // -a: grep searches binary data as text, as getType reads every byte.
        {"getType (random bytes)", "grep -c -a -F notein", kClassifyTarget,
         classifyFile(UnmarkedShape::randomBytes, {"grep", "-c", "-a", "-F", "notein"})},
        {"loadPatches", "find -mindepth 1 -maxdepth 1 -type d", {1.2, 0, 0, "<= 1.2"}, listPatches},
        {"ofxDeleteDir", "rm -rf", {1.2, 0, 0, "<= 1.2"}, deleteTree},
        {"PdPluginParameters::load", "grep -c \" param \"", {2.0, 0, 0, "<= 2.0"}, readParameters},
        {"checkPatchFolder (library)", "grep -r -c -F dac~", {2.0, 0, 0, "<= 2.0"}, checkLibrary},
    };
    if (!paths.windowProgram.empty()) {
        const std::vector<Work> windowWorks = {
            {"window start to first paint (offscreen)",
             "same, empty library",
             {2.0, 0, 0, "<= 2.0"},
             startWindow},
            {"window first paint, accent-only parameter name selected",
             "same, plain name, line as long",
             {1.2, 0, 0, "<= 1.2"},
             paintAccentName},
            {"window search, slowest keystroke to the list repainted",
             "",
             {0, 0, 0.010, "<= 0.010 s"},
             searchKeystroke},
            {"window draws a patch, one frame", "", {0, 0, 0.016, "<= 0.016 s"}, drawPatch},
            {"window shows a patch folder made outside",
             "",
             {0, 0, 1.0, "<= 1 s"},
             folderMadeOutside},
            {"window install through its worker",
             "same, on the window's thread",
             {1.05, 0, 0, "<= 1.05"},
             installThroughWorker},
            {"window answers during an install, longest event wait",
             "",
             {0, 0, 0.050, "<= 0.050 s"},
             answerDuringInstall},
            {"window answers during a storm of folder changes",
             "",
             {0, 0, 0.050, "<= 0.050 s"},
             answerDuringStorm},
            {"window answers during the library's check, longest event wait",
             "",
             {0, 0, 0.050, "<= 0.050 s"},
             answerDuringCheck},
        };
        works.insert(works.end(), windowWorks.begin(), windowWorks.end());
    }
    return works;
}

void clearWorkData(const BenchPaths& paths) {
    removeTree(paths.work);
    makeDirectories(paths.work);
    for (const char* typeDir : {EFFECTS_DIR, INSTRUMENTS_DIR}) {
        removeTree(typeDir);
        makeDirectories(typeDir);
    }
}
