#pragma once

// The patch library: where installed patches live, how a patch is classified,
// installation of dropped items, the index of installed patches and removal.
//
// A patch's type is passed around as a type directory: a pointer to one of the
// constants EFFECTS_DIR or INSTRUMENTS_DIR themselves (never a copy of their
// text), so it compares by identity; null means "no type".

#include <string>
#include <vector>

extern const char BASE_DIR[];
extern const char EFFECTS_DIR[];
extern const char INSTRUMENTS_DIR[];

// Makes sure the library folder and both type directories exist.
void initDirs();

// Last component of a path; a trailing "/" stays in the result.
std::string patchNameFromPath(std::string path);
// Text after the last "/" (empty when the path ends in "/").
std::string getFileName(std::string path);
// Last component of a path, ignoring one trailing "/".
std::string getDirName(std::string path);
// The type directory (EFFECTS_DIR or INSTRUMENTS_DIR) a path lies inside, or null.
const char* typeDirOf(const std::string& path);

// INSTRUMENTS_DIR when a line of the file holds "notein", else EFFECTS_DIR.
const char* getType(std::string path);
// Full paths of the visible entries of a directory, in listing order.
std::vector<std::string> listDir(std::string path);
// Type of a patch folder (a folder N holding N.pd), or null for any other folder.
const char* getTypeForDir(std::string path);

// Installs the dropped items (paths or file URLs, rewritten in place) and
// returns the type directory of the last one installed, or null.
const char* installFiles(std::vector<std::string>& paths);

// The patch folders of a type directory, in listing order, in a list of
// their own: any thread may list while another reads the process-wide list.
std::vector<std::string> listPatchFolders(const char* typeDir);
// Rebuilds the process-wide list of patch folders from a type directory.
void findPatches(const char* typeDir);
// findPatches, then the list's address (the same on every call).
std::vector<std::string>* loadPatches(const char* typeDir);
// Deletes an installed patch folder with everything in it.
void uninstallPatch(const char* path);
