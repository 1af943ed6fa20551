#include "paths.h"

#include <cstring>

bool TerminateRecordPath(char* path, uint32_t length, uint32_t capacity)
{
    if (length < capacity) {
        path[length] = '\0';
        return true;
    }
    return memchr(path, '\0', capacity) != nullptr;
}
