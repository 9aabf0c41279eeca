#pragma once

// Puts a complete staged copy (a patch folder, or a file of one) at its place
// in the library in one step, so the name never stands missing or half-made.
// Each gives 0 or the errno of the step that failed.

#include <string>

// Moves `staged` to `destination`, where nothing may stand.
int placeNew(const std::string& staged, const std::string& destination);

// Exchanges `staged` with the earlier copy at `destination`: afterwards the
// library holds the new copy and `staged` names the earlier one.
int swapWithEarlier(const std::string& staged, const std::string& destination);

// The same with three renames, for file systems that can't exchange two
// names: the earlier copy is moved aside, the new one put in its place (on
// failure the earlier copy goes back), and the earlier copy moved to
// `staged`. There is a moment without the name.
int swapByRenames(const std::string& staged, const std::string& destination);
