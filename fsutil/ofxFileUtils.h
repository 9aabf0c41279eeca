#pragma once

// Small helpers over POSIX path strings. They keep no state, throw nothing and
// report failure through their results (and, where noted, one line on
// standard output).

#include <string>

// The last component of a path; one trailing "/" is ignored.
std::string ofxFileName(std::string path);

// mkdir with mode 0777 (less the umask); true only when this call created it.
bool ofxCreateDirectory(std::string path);

// True when stat succeeds on the path (symbolic links are followed).
bool ofxFileExists(std::string path);

// True when the path (links followed) is a directory; prints "File not found"
// when stat fails.
bool ofxIsDirectory(std::string path);

// POSIX remove; returns 0 or -1.
int ofxDeleteFile(std::string path);

// Removes everything below a directory; the directory itself stays. Symbolic
// links inside the tree are removed, never followed.
void ofxEmptyDir(std::string path);

// Removes a directory tree and returns the result of removing the top (0 or
// -1). A path that is itself a symbolic link loses only the link.
int ofxDeleteDir(std::string path);

// Copies the bytes of source into destination, replacing it atomically.
// True only when every byte reached the destination.
bool ofxCopyFile(std::string source, std::string destination);
