#pragma once

#include <string_view>

// The project's version, as the build's project() declares it.
const char* ProjectVersion();

// When the whole command line is "--version", prints "<program> <version>" on
// stdout and returns true: the program then ends with success.
bool PrintVersionIfAsked(std::string_view program, int argc, const char* const* argv);
