// Replaces functions that this program imports from system DLLs by
// rewriting its import address table: the in-process tests make system
// calls fail (no memory, no palette, a short write) and watch what the
// program releases. A patch lasts until RemovePatches; each replacement can
// call what it replaced through REAL(function).
#pragma once

#include <windows.h>

// False if the program does not import `function` from `dll`. Patching a
// function again replaces the earlier patch.
bool Patch(const char* dll, const char* function, void* replacement);
void RemovePatches();
void* OriginalOf(const char* function);
#define REAL(function) (reinterpret_cast<decltype(&function)>(OriginalOf(#function)))
