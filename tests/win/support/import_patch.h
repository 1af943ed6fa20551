// Replaces a function that this program imports from a system DLL, for as
// long as the patch lives, by rewriting the program's import address table.
// The in-process tests use it to make system calls fail (no memory, no
// palette, a short write) and to watch what the program releases.
#pragma once

#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // The function that was imported before the patch.
    template <class F>
    F Original() const
    {
        return reinterpret_cast<F>(original_);
    }
    bool Applied() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

// The patches a program keeps in place by function name, so that each
// replacement can call what it replaced through REAL(function).
bool Patch(const char* dll, const char* function, void* replacement);  // false if not imported
void RemovePatches();
void* OriginalOf(const char* function);
#define REAL(function) (reinterpret_cast<decltype(&function)>(OriginalOf(#function)))
