#pragma once

// Copies one entry into a trash on another file system, where a rename cannot
// take it: a link as the link, a file with its mode, a folder tree with `cp`.

#include <string>

// An entry `name` of an open folder, whose path is `folderPath`.
struct EntryPlace {
    int folder;
    std::string folderPath;
    std::string name;
};

// Copies `from` (never followed if it is a link) to `to`, where nothing may
// stand yet. The copy is made in a hidden folder beside `to` and renamed into
// place only when complete, so a partial copy never has the name. 0 once
// done, else the errno of the step that failed, with nothing left behind.
int copyEntryAs(const EntryPlace& from, const EntryPlace& to);

// Removes the hidden folders of copies into `filesPath` (the open folder
// `filesFolder`) that a stopped importer left unfinished. Such a folder never
// holds the only copy of anything: the original is removed only once its
// copy has its name. Only while holding the library lock, as trashing is.
void removeUnfinishedCopies(int filesFolder, const std::string& filesPath);
