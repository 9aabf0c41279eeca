#pragma once

// The application's own diagnostic lines. They go to standard error, one line
// each, prefixed like a desktop platform log, while the library's lines stay
// on standard output.

#include <chrono>
#include <string>
#include <string_view>

// Writes "<date> <time> <program>[<pid>:<tid>] <text>" and a line end to
// standard error. Standard output is flushed first, so that a terminal that
// shows both streams shows them in the order they were written.
void platformLog(std::string_view text);

// The line platformLog writes for a text at a moment, without its line end.
// Every byte of the text is kept.
std::string platformLogLine(std::string_view text, std::chrono::system_clock::time_point when);
