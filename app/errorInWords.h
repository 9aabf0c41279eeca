#pragma once

#include <string>

// The system's message for an errno value in the user's language, for the
// window's texts. The program's log lines keep the system's messages in
// English (the program's messages locale stays "C"), so this asks for the
// user's language explicitly.
std::string errorInWords(int error);
