#pragma once

// How the window lists a type folder: its patch folders, named as the list
// shows them, in the order people sort names (upper and lower case alike,
// numbers by value: "Synth 2" before "Synth 10", by the rules of the user's
// language), each with the text the search looks in. Safe on any thread: it
// reads the library's folder itself and writes nothing shared.

#include <QCollator>
#include <QString>
#include <cstdint>

#include "app/patchList.h"

PatchList makePatchList(const char* typeDir, std::uint64_t sequence);

// The collator names are sorted with: the user's locale, or English in the
// C and POSIX locales, where ICU ignores the numeric mode.
QCollator nameCollator();
// Text as the search compares it: decomposed, without its accents
// (non-spacing marks), case-folded.
QString searchKey(const QString& text);
