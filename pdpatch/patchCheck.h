#pragma once

// The patch check: what will keep a patch from working in the audio host,
// found before the host finds it. Each finding names the file and line it
// comes from and says in a sentence what is wrong and what follows.
//
// Codes and severities:
//   error   no-main-patch        the folder's N.pd is missing or no Pd patch
//   warning no-audio-out         no dac~ in the patch, its subpatches or abstractions
//   warning unknown-object       a class neither Pd vanilla nor the patch provides
//   warning param-range          a declared default outside min..max, or min above max
//   warning param-duplicate      two parameters of one name
//   warning param-format         a param comment the parameter reader rejects
//   warning broken-connection    a connection to a box the canvas does not have
//   note    notein-in-text       an instrument only because its text says notein
//   note    effect-without-input an effect with no adc~
//
// A check reads each file once and keeps nothing between calls; patchStamp
// tells a caller that keeps results per patch when to check again.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pdpatch {

enum class Severity { error, warning, note };

// "error", "warning" or "note".
std::string_view severityName(Severity severity);

struct Finding {
    std::string code;  // "unknown-object", ...
    Severity severity = Severity::warning;
    std::string file;       // the path of the file, built on the path given
    std::uint32_t line = 1;  // from 1
    // The object's or parameter's name for the codes about one; else empty.
    std::string subject;
    std::string sentence;  // for the user; begins with the subject when there is one

    friend bool operator==(const Finding&, const Finding&) = default;
};

// The finding as compilers print theirs: "PATH:LINE: SEVERITY: CODE: SENTENCE".
std::string findingLine(const Finding& finding);

// Checks the patch folder N through its main patch file N/N.pd, with its
// subpatches and the abstractions it uses. File paths in the findings begin
// with `folder` as given. Never throws but std::bad_alloc.
std::vector<Finding> checkPatchFolder(const std::string& folder);

// Checks one patch file as the main patch of the folder it lies in.
std::vector<Finding> checkPatchFile(const std::string& file);

// A value that changes when a file in the patch folder (at any depth) is
// added, removed, renamed, or changes size or modification time: a result
// kept with the stamp it was made at is still good while the stamp is.
std::uint64_t patchStamp(const std::string& folder);

}  // namespace pdpatch
