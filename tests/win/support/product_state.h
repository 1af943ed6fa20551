// The program's process-wide state as start-up leaves it, for in-process
// tests of the installer (which link the program's code and Q3 resources).
#pragma once

#include <string>

// Loads the strings, notes the desktop, makes `sourceDir` current, and starts
// not installed.
void PrepareProductState(const std::string& sourceDir);
