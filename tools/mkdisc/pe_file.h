// Reads what the disc tool needs of a Windows program: the machine it is
// built for, and strings of its string table (the label of a disc is the
// title its launcher carries). Every offset in the file is checked before it
// is read, so any bytes at all are safe input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kMachineI386 = 0x14C;  // a 32-bit program

// The machine of the program's file header; false when the file is not a
// program.
bool ReadMachine(const std::vector<uint8_t>& program, uint16_t* machine);

// The UTF-16 text of string `id` in the first language of the program's
// string table; false when the file is not a program with that string.
bool ReadStringResource(const std::vector<uint8_t>& program, uint16_t id, std::u16string* text);
