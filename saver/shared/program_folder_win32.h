#pragma once
// The folder of the running program: Glowmere.ini and Glowmere.dll sit beside it.
#include <string>

namespace glowmere {

// Without a trailing backslash (C: for a drive root), in the ANSI code page.
std::string ProgramFolder();

}  // namespace glowmere
