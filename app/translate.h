#pragma once

// The controller's texts for the user in the user's language, without Qt:
// the window hands in Qt's translator at start, and until then (and in the
// controller's own tests) the English source text is used. Calls are spelled
// translate("Context", "Text") so that Qt's lupdate finds them. Log lines
// are never translated.

#include <initializer_list>
#include <string>

using Translator = std::string (*)(const char* context, const char* sourceText);

void setTranslator(Translator translator);

// The text, translated.
std::string translate(const char* context, const char* sourceText);

// A translated text with %1, %2, ... replaced by the arguments in turn:
// fillIn(translate("Context", "Installed %1"), {name}). Apart from
// translate() because lupdate takes a call's third argument for a comment
// and skips the call when that is not a literal.
std::string fillIn(const std::string& text, std::initializer_list<std::string> arguments);
