#pragma once

// Makes the data the benchmark measures on: patch files, a patch folder full
// of samples, a type directory with many patch folders, a tree of many small
// files. Everything is generated, so each run measures the same shapes.
// Failures throw std::runtime_error: a half-made data set must not be timed.

#include <cstdint>
#include <string>

// Patch text without the instrument marker: object, connection, message and
// comment lines as a saved patch holds them.
std::string patchLines(std::uint64_t bytes, std::uint32_t seed);

// A file of `bytes` bytes of patch text.
void writePatchFile(const std::string& path, std::uint64_t bytes);

// Contents of a file to classify, each without the instrument marker
// "notein": patch text; one short patch line repeated; the marker's near
// misses "note", "noteon", "noteout" and "notei"; patch text without line
// feeds (one line); random bytes.
enum class UnmarkedShape { patchText, oneLineRepeated, nearMisses, noLineFeed, randomBytes };

// A file of `bytes` bytes of that shape, one block repeated. Throws when the
// block, repeated, would hold the marker after all.
void writeUnmarkedFile(const std::string& path, UnmarkedShape shape, std::uint64_t bytes);

// A file of `bytes` bytes of sample-like binary data.
void writeSampleFile(const std::string& path, std::uint64_t bytes);

// A patch folder (its name N taken from the path) holding N.pd and
// `files` - 1 samples in subfolders of at most 100, `totalBytes` in all.
void makePatchFolder(const std::string& folder, int files, std::uint64_t totalBytes);

// `folders` patch folders directly inside `typeDir`, each with its main
// patch. Making a file is slow on some file systems (a millisecond each), so
// the main patches are hard links to one `patchFile`.
void makePatchFolders(const std::string& typeDir, int folders, const std::string& patchFile);

// A tree of `files` file names in folders of 100 each, for deleting. They are
// hard links to 100 small files made in `sampleFolder` (outside the tree), so
// the tree is quick to make again before every run.
void makeFileTree(const std::string& root, int files, const std::string& sampleFolder);

// A patch folder whose main patch of about `bytes` bytes holds `declarations`
// parameter declarations (the only lines with " param " in them).
void makeDeclaringPatch(const std::string& folder, std::uint64_t bytes, int declarations);

// A patch folder whose main patch holds one declaration line: `before`,
// then `unit` repeated `units` times, then `after`.
void makeLongDeclarationPatch(const std::string& folder, const std::string& before,
                              const std::string& unit, int units, const std::string& after);

// `patches` patch folders inside `root` for the patch check, each with a main
// patch of a few kilobytes (chains of connected objects, one in a subpatch,
// and a param declaration) that uses an abstraction beside it, whose dac~ is
// the patch's output. Main
// patches and abstractions are hard links to two files made in `work`.
void makeCheckedLibrary(const std::string& root, int patches, const std::string& work);

// ln
void makeLink(const std::string& existing, const std::string& path);
// mkdir -p
void makeDirectories(const std::string& path);
// rm -rf
void removeTree(const std::string& path);
// Moves what is at `path`, if anything, into `parkFolder` under a name of its
// own, to be removed with it later. On ext4 without a journal a new file is
// not given an inode freed in the last minute (six while its inode table
// block waits to be written), and the search for one skips them one by one:
// removing the last run's 2,000 files before the next run makes each file
// it creates cost a walk past them, which took most of the run's processor
// time and swung from run to run with where the folders lay.
void parkTree(const std::string& path, const std::string& parkFolder);
