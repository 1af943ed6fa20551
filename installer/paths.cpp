#include "paths.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

size_t LastSeparator(const char* path, IsLeadByteFn isLeadByte)
{
    size_t last = kNoSeparator;
    for (size_t at = NextSeparator(path, 0, isLeadByte); at != kNoSeparator;
         at = NextSeparator(path, at + 1, isLeadByte))
        last = at;
    return last;
}

}  // namespace

size_t NextSeparator(const char* path, size_t from, IsLeadByteFn isLeadByte)
{
    for (size_t at = from; path[at] != '\0'; ++at) {
        if (path[at] == '\\')
            return at;
        if (isLeadByte(uint8_t(path[at])) && path[at + 1] != '\0')
            ++at;  // the trail byte may be 0x5C
    }
    return kNoSeparator;
}

size_t FolderLength(const char* path, IsLeadByteFn isLeadByte)
{
    const size_t last = LastSeparator(path, isLeadByte);
    if (last == kNoSeparator)
        return 0;
    // X:\ is a root, as in \\?\X:\ and \\.\X:\ (a colon names no folder)
    const bool root = last == 0 || (last >= 2 && path[last - 1] == ':');
    return root ? last + 1 : last;
}

size_t NameOffset(const char* path, IsLeadByteFn isLeadByte)
{
    const size_t last = LastSeparator(path, isLeadByte);
    return last == kNoSeparator ? 0 : last + 1;
}

bool EndsInSeparator(const char* path, IsLeadByteFn isLeadByte)
{
    const size_t last = LastSeparator(path, isLeadByte);
    return last != kNoSeparator && path[last + 1] == '\0';
}

void DropTrailingSeparator(char* path, IsLeadByteFn isLeadByte)
{
    const size_t last = LastSeparator(path, isLeadByte);
    if (last != kNoSeparator && last > 2 && path[last + 1] == '\0')
        path[last] = '\0';
}

bool IsBelowDriveRoot(const char* path, IsLeadByteFn isLeadByte)
{
    const bool driveLetter = (path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z';
    if (!driveLetter || path[1] != ':' || path[2] != '\\' || path[3] == '\0' || IsSeparator(path[3]))
        return false;
    int depth = 0;
    size_t at = 3;
    while (path[at] != '\0') {
        const size_t start = at;
        while (path[at] != '\0' && !IsSeparator(path[at]))
            at += isLeadByte(uint8_t(path[at])) && path[at + 1] != '\0' ? 2 : 1;
        const size_t length = at - start;
        if (length == 2 && path[start] == '.' && path[start + 1] == '.')
            depth = depth > 0 ? depth - 1 : 0;
        else if (length > 0 && !(length == 1 && path[start] == '.'))
            ++depth;
        while (IsSeparator(path[at]))
            ++at;
    }
    return depth > 0;
}

bool JoinPath(char* out, size_t capacity, const char* first, const char* second, const char* third)
{
    const size_t a = strlen(first), b = strlen(second), c = strlen(third);
    if (a + b + c >= capacity)
        return false;
    memcpy(out, first, a);
    memcpy(out + a, second, b);
    memcpy(out + a + b, third, c + 1);
    return true;
}

bool TerminateRecordPath(char* path, uint32_t length, uint32_t capacity)
{
    if (length < capacity)
        path[length] = '\0';
    else if (memchr(path, '\0', capacity) == nullptr)
        return false;
    return path[0] != '\0';
}
