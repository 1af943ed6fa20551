// What a C runtime would give the shipping programs, which are linked
// without one: the command line after the program's name, and the byte
// functions a compiler may call for copies and fills (memcpy, memmove,
// memset, memcmp) or that the code calls (memchr, strlen). Portable and
// plain, so that native tests call them by these names; entry.cpp exports
// them under the C library's.
#pragma once

#include <cstddef>

// The arguments after the program's name in a command line, as the C
// runtime hands them to WinMain: the name ends at its closing quote when it
// starts with one, else at the first space or tab; the blanks after it are
// skipped.
inline const char* CommandLineArguments(const char* line)
{
    if (*line == '"') {
        ++line;
        while (*line != '\0' && *line != '"')
            ++line;
        if (*line == '"')
            ++line;
    } else {
        while (*line != '\0' && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

inline void* CopyBytes(void* to, const void* from, size_t count)
{
    unsigned char* out = static_cast<unsigned char*>(to);
    const unsigned char* in = static_cast<const unsigned char*>(from);
    while (count-- != 0)
        *out++ = *in++;
    return to;
}

// As CopyBytes, for ranges that may overlap.
inline void* MoveBytes(void* to, const void* from, size_t count)
{
    unsigned char* out = static_cast<unsigned char*>(to);
    const unsigned char* in = static_cast<const unsigned char*>(from);
    if (out <= in || out >= in + count)
        return CopyBytes(to, from, count);
    while (count-- != 0)
        out[count] = in[count];
    return to;
}

inline void* FillBytes(void* to, int value, size_t count)
{
    unsigned char* out = static_cast<unsigned char*>(to);
    while (count-- != 0)
        *out++ = static_cast<unsigned char>(value);
    return to;
}

// Compares as unsigned bytes: negative, 0 or positive.
inline int CompareBytes(const void* a, const void* b, size_t count)
{
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; count != 0; --count, ++x, ++y)
        if (*x != *y)
            return *x < *y ? -1 : 1;
    return 0;
}

inline const void* FindByte(const void* bytes, int value, size_t count)
{
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    for (; count != 0; --count, ++at)
        if (*at == static_cast<unsigned char>(value))
            return at;
    return nullptr;
}

inline size_t StringLength(const char* text)
{
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}
