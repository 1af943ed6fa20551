// Path arithmetic of the installer. Portable: no Windows headers, so native
// tests call it directly. Paths are code page 932 (Shift-JIS) byte strings,
// in which the second byte of a double-byte character may be 0x5C, the
// backslash: every scan here steps over double-byte characters whole.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kNoSeparator = size_t(-1);

// Whether `byte` starts a double-byte character of code page 932.
inline bool IsLeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The index of the first path separator (a single-byte backslash) at or
// after `from`, which must be a character boundary; kNoSeparator if none.
size_t NextSeparator(const char* path, size_t from);

// Whether a path names a root: empty, a drive ("C:", "C:\"), the current
// drive's root ("\"), a network share ("\\server\share"), or any of these
// reached through "." and ".." steps. Removing "the directory's files" there
// would remove a drive's files.
bool IsRootPath(const char* path);

// Writes first + second + third into out, NUL included, if it fits in
// `capacity` bytes; otherwise writes nothing and returns false.
bool JoinPath(char* out, size_t capacity, const char* first, const char* second, const char* third = "");

// Registry data of `length` bytes read into a `capacity`-byte buffer: whether
// it holds a complete path, which is then NUL-terminated in place. Data that
// filled the buffer without a NUL does not; shorter data gets its NUL.
bool TerminateRecordPath(char* path, uint32_t length, uint32_t capacity);
