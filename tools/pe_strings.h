// Reads a string from a Windows program's string table, for the disc tool:
// the label of a disc is the title its launcher carries. Every offset in the
// file is checked before it is read, so any bytes at all are safe input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The UTF-16 text of string `id` in the first language of the program's
// string table; false when the file is not a program with that string.
bool ReadStringResource(const std::vector<uint8_t>& program, uint16_t id, std::u16string* text);
