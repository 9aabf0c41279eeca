#pragma once

// One measured operation of ours, run in a child process of the benchmark so
// that its time and peak memory are taken the same way as a tool's:
//   copy SOURCE DESTINATION      ofxCopyFile
//   install FOLDER               installFiles with one patch folder
//   export FOLDER ARCHIVE        exportPatches of one patch folder to a .zip
//   gettype FILE                 getType of a file without the marker
//   loadpatches COUNT            loadPatches(EFFECTS_DIR), expecting COUNT folders
//   deletedir FOLDER             ofxDeleteDir
//   params FOLDER COUNT          PdPluginParameters::load, expecting COUNT records
//   check ROOT COUNT             checkPatchFolder on each folder in ROOT, expecting
//                                COUNT folders and no finding in any
// The exit code is 0 when the operation gave the expected result, 1 when it
// did not, 2 for a wrong command line.

#include <string>
#include <vector>

int runOurWork(const std::vector<std::string>& arguments);
