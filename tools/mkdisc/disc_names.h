// Names as Windows sees them on a disc. It reads the Joliet tree's UCS-2
// names and hands them to the launcher in code page 932: a name may go on
// a disc only if Windows shows, opens and copies it exactly as the folder
// spells it.
#pragma once

#include <cstddef>
#include <string>

// Code page 932 bytes of a UTF-8 or UTF-16LE text; false if it has a
// character that code page lacks (or is not valid in its own encoding).
bool Utf8ToCp932(const std::string& text, std::string* out);
bool Utf16ToCp932(const std::u16string& text, std::string* out);

// UTF-8 of a UTF-16LE text, such as a program's string.
bool Utf16ToUtf8(const std::u16string& text, std::string* out);

// UTF-8 of a Joliet name as recorded: UCS-2, big-endian.
bool JolietToUtf8(const std::string& recorded, std::string* out);

// UTF-8 of a text in UTF-16 that starts with its byte-order mark (FF FE or
// FE FF); false for any other text.
bool MarkedUtf16ToUtf8(const std::string& bytes, std::string* out);

// Whether a text is valid UTF-8.
bool IsUtf8(const std::string& text);

// `name` (UTF-8) with each base character and combining mark that code
// page 932 has as one character composed into it, as Windows spells it
// (カ and U+3099, as a Mac writes ガ, become ガ); otherwise as it is.
std::string Composed(const std::string& name);

// A name for a message: its UTF-8 as it is, every other byte, a control
// character and a backslash as \xNN.
std::string Printable(const std::string& bytes);

// Why Windows cannot have `name` on a disc as it is spelled (one that is
// not UTF-8, one code page 932 cannot write or spells as another, ...), as
// words that follow the name; empty when it can.
std::string NameProblem(const std::string& name);

// `name` as Windows compares names: letters of either case alike.
std::wstring CaseFolded(const std::string& name);

// UTF-16 units of a UTF-8 text: Joliet's characters.
size_t Utf16Length(const std::string& utf8);
