#pragma once

#include <string>

// Copies the folder tree at source to destination with `cp -R -H`, run
// directly from an argument vector (no shell, so every byte of both paths
// reaches cp unchanged), and waits for it. A source that is a symbolic link is
// followed; links inside the tree stay links. cp is killed when this process
// dies, so no copy goes on unseen. True only when cp exited with 0.
bool copyTreeWithCp(const std::string& source, const std::string& destination);
