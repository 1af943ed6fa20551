// The shipping programs' entry: they are linked without a C runtime, so that
// they import nothing but the four system DLLs that every 32-bit Windows has,
// from NT 3.51 and Windows 95 on. This file does what the runtime's start-up
// would and provides the few C library functions the code and the compiler
// use. It is compiled without built-ins, so that the compiler does not turn
// these loops back into calls to themselves.
#include <windows.h>

#include "runtime.h"

extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

// The loader keeps only 4-byte stack alignment on 32-bit Windows.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup()
{
    LPSTR arguments = const_cast<LPSTR>(CommandLineArguments(GetCommandLineA()));
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, arguments, SW_SHOWDEFAULT));
}

extern "C" {
void* memcpy(void* to, const void* from, size_t count) { return CopyBytes(to, from, count); }
void* memmove(void* to, const void* from, size_t count) { return MoveBytes(to, from, count); }
void* memset(void* to, int value, size_t count) { return FillBytes(to, value, count); }
int memcmp(const void* a, const void* b, size_t count) { return CompareBytes(a, b, count); }
void* memchr(const void* bytes, int value, size_t count) { return const_cast<void*>(FindByte(bytes, value, count)); }
size_t strlen(const char* text) { return StringLength(text); }
}
