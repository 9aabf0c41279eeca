#pragma once

// How the window speaks of what the patch check found in a patch: the mark
// its row shows, the counts ("1 error, 2 warnings"), a summary for the row's
// tooltip and the findings as its list shows them. Only errors and warnings
// mark a patch or are counted; notes are listed with the rest.

#include <string>
#include <vector>

#include "app/views.h"
#include "pdpatch/patchCheck.h"

views::RowMark rowMark(const std::vector<pdpatch::Finding>& findings);
// "1 error, 2 warnings"; empty without errors and warnings.
std::string findingCounts(const std::vector<pdpatch::Finding>& findings);
// The counts and the errors' and warnings' sentences ("2 warnings: A. B."),
// or empty.
std::string findingSummary(const std::vector<pdpatch::Finding>& findings);
// Each finding of the patch folder, its place named inside the folder.
std::vector<views::ListedFinding> listedFindings(const std::string& folder,
                                                 const std::vector<pdpatch::Finding>& findings);
