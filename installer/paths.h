// Path arithmetic of the installer and the launcher. Portable: no Windows headers, so native
// tests call it directly. Paths are ANSI byte strings, in which the second
// byte of a double-byte character may be 0x5C, the backslash: every scan
// here steps over double-byte characters whole. Which bytes lead one is the
// system's ANSI code page's business (Windows splits paths by it), so the
// scans take it as an argument: the program passes the system's, tests
// pass code page 932's or a single-byte one.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kNoSeparator = size_t(-1);

// Whether a byte starts a double-byte character.
using IsLeadByteFn = bool (*)(uint8_t byte);

// Code page 932 (Shift-JIS), which the program's texts are in.
inline bool IsCp932LeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The index of the first path separator (a single-byte backslash) at or
// after `from`, which must be a character boundary; kNoSeparator if none.
size_t NextSeparator(const char* path, size_t from, IsLeadByteFn isLeadByte);

// The length of the folder part of a file's full path, which is what is
// made current to be in that folder: up to its last separator, which a
// root keeps ("D:\Q3.EXE" gives "D:\", "\\?\D:\Q3.EXE" "\\?\D:\",
// "D:\GAMES\Q3.EXE" "D:\GAMES");
// 0 when the path has no separator.
size_t FolderLength(const char* path, IsLeadByteFn isLeadByte);

// Where the last name of a path begins: past its last separator, or 0
// ("D:\GAMES\Q3.EXE" and "D:\Q3.EXE" give the index of "Q3.EXE").
size_t NameOffset(const char* path, IsLeadByteFn isLeadByte);

// Whether a path ends in a separator ("D:\", "C:\GAMES\"); the second
// byte of a final double-byte character ("C:\表") is none.
bool EndsInSeparator(const char* path, IsLeadByteFn isLeadByte);

// Drops one trailing separator from a full path below a drive's root, so
// that "C:\GAMES\Q3\" names C:\GAMES\Q3 and is not made as its own parent
// first; a root ("C:\") keeps it. A final 0x5C that is the second byte of a
// double-byte character ("C:\表") is no separator.
void DropTrailingSeparator(char* path, IsLeadByteFn isLeadByte);

// Whether a path is a directory the installer can have made: a drive
// letter, a colon, a backslash and a name ("C:\Games\Q3"), with at least one
// name left below the drive's root once "." and ".." steps are taken
// ("C:\Games\.." is the root). Anything else is not: a bare drive, a
// relative or drive-relative path, a network share, a device or object
// manager path of any spelling ("\\?\C:\", "\??\C:"). Removing "the
// directory's files" there would remove a drive's files.
bool IsBelowDriveRoot(const char* path, IsLeadByteFn isLeadByte);

// Writes first + second + third into out, NUL included, if it fits in
// `capacity` bytes; otherwise writes nothing and returns false.
bool JoinPath(char* out, size_t capacity, const char* first, const char* second, const char* third = "");

// Registry data of `length` bytes read into a `capacity`-byte buffer: whether
// it holds a complete path, which is then NUL-terminated in place. Data that
// filled the buffer without a NUL does not; shorter data gets its NUL. An
// empty path (no data, or a lone NUL) names no directory: play would start
// "\VGX.EXE" at the root of the current drive.
bool TerminateRecordPath(char* path, uint32_t length, uint32_t capacity);
