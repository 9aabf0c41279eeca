#include "app/translate.h"

#include <vector>

namespace {
Translator installed = nullptr;
}  // namespace

void setTranslator(Translator translator) {
    installed = translator;
}

std::string translate(const char* context, const char* sourceText) {
    return installed ? installed(context, sourceText) : sourceText;
}

std::string fillIn(const std::string& text, std::initializer_list<std::string> arguments) {
    const std::vector<std::string> fill(arguments);
    // One pass over the translated text only, so that a "%2" inside a patch
    // name is never taken for a marker; a translation may reorder markers.
    std::string filled;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::size_t number = at + 1 < text.size() ? std::size_t(text[at + 1] - '0') : 0;
        if (text[at] == '%' && number >= 1 && number <= fill.size() && number <= 9) {
            filled += fill[number - 1];
            ++at;
        } else {
            filled += text[at];
        }
    }
    return filled;
}
