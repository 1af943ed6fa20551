// Path arithmetic of the installer. Portable: no Windows headers, so native
// tests call it directly. Paths are code page 932 byte strings.
#pragma once

#include <cstddef>
#include <cstdint>

// Registry data of `length` bytes read into a `capacity`-byte buffer: whether
// it holds a complete path, which is then NUL-terminated in place. Data that
// filled the buffer without a NUL does not; shorter data gets its NUL.
bool TerminateRecordPath(char* path, uint32_t length, uint32_t capacity);
