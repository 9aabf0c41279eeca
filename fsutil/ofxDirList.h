#pragma once

// Lists the visible entries of one directory (names beginning with "." are
// skipped) in the order the operating system yields them, optionally keeping
// only given file extensions.

#include <string>
#include <vector>

class ofxDirList {
public:
    ofxDirList();

    // Empties the extension filter and the results.
    void reset();
    // Accepted for compatibility; the lister has no verbose mode.
    void setVerbose(bool verbose);
    // Adds an extension (without its dot) to the filter; always true.
    bool allowExt(std::string ext);
    // Replaces the results with the entries of the directory; returns their count.
    int listDir(std::string directory);
    // Name or full path of entry i; empty outside the results.
    std::string getName(int i);
    std::string getPath(int i);

private:
    std::vector<std::string> extensions;
    std::vector<std::string> names;
    std::vector<std::string> paths;
};
