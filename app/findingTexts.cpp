#include "app/findingTexts.h"

#include <algorithm>

#include "app/translate.h"

using pdpatch::Finding;
using pdpatch::Severity;

namespace {

bool marks(const Finding& finding) {
    return finding.severity != Severity::note;
}

// The check's sentence as a sentence of the window: a capital when it does
// not begin with a name (which keeps its case), and a full stop.
std::string sentenceOf(const Finding& finding) {
    std::string text = finding.sentence;
    if (finding.subject.empty() && !text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text + ".";
}

}  // namespace

views::RowMark rowMark(const std::vector<Finding>& findings) {
    if (std::any_of(findings.begin(), findings.end(),
                    [](const Finding& f) { return f.severity == Severity::error; }))
        return views::RowMark::error;
    return std::any_of(findings.begin(), findings.end(), marks) ? views::RowMark::warning
                                                                : views::RowMark::none;
}

std::string findingCounts(const std::vector<Finding>& findings) {
    const auto errors = static_cast<std::size_t>(
        std::count_if(findings.begin(), findings.end(),
                      [](const Finding& f) { return f.severity == Severity::error; }));
    const auto warnings = static_cast<std::size_t>(
        std::count_if(findings.begin(), findings.end(),
                      [](const Finding& f) { return f.severity == Severity::warning; }));
    // Each text whole, so that lupdate finds it.
    std::string text;
    if (errors)
        text = errors == 1 ? translate("VQ_ImporterAppDelegate", "1 error")
                           : fillIn(translate("VQ_ImporterAppDelegate", "%1 errors"),
                                    {std::to_string(errors)});
    if (warnings)
        text += (text.empty() ? "" : ", ") +
                (warnings == 1 ? translate("VQ_ImporterAppDelegate", "1 warning")
                               : fillIn(translate("VQ_ImporterAppDelegate", "%1 warnings"),
                                        {std::to_string(warnings)}));
    return text;
}

std::string findingSummary(const std::vector<Finding>& findings) {
    std::string text = findingCounts(findings);
    if (text.empty()) return text;
    text += ":";
    for (const Finding& finding : findings)
        if (marks(finding)) text += " " + sentenceOf(finding);
    return text;
}

std::vector<views::ListedFinding> listedFindings(const std::string& folder,
                                                 const std::vector<Finding>& findings) {
    std::vector<views::ListedFinding> listed;
    for (const Finding& finding : findings) {
        const std::string& file = finding.file;
        const bool inside = file.size() > folder.size() && file.starts_with(folder) &&
                            file[folder.size()] == '/';
        listed.push_back({finding.severity, sentenceOf(finding),
                          (inside ? file.substr(folder.size() + 1) : file) + ":" +
                              std::to_string(finding.line)});
    }
    return listed;
}
