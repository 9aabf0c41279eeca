#pragma once

// The info files of a trash (info/<name>.trashinfo): what the importer writes
// into them, how it tells its own from those of other programs, and how it
// checks that one still describes the item it trashed.

#include <string>

// The local time now, as an info file's DeletionDate holds it.
std::string deletionDateNow();

// The text of an info file for an item trashed from `originalPath` at `date`.
// It carries a line of the importer's own (readers ignore keys they don't
// know), which marks the file as one the importer may clean up.
std::string trashInfoText(const std::string& originalPath, const std::string& date);

// 0 when the info file `name` in the open folder `infoFolder` is a regular
// file that records `originalPath` and `date`; ESTALE when it is gone or says
// otherwise; else the errno of reading it.
int checkInfoFile(int infoFolder, const std::string& name, const std::string& originalPath,
                  const std::string& date);

// Removes the importer's info files whose item is not in files/: left when
// the importer was stopped between writing one and moving its item in. Info
// files of other programs are never touched.
void removeOrphanedInfoFiles(int filesFolder, int infoFolder);
