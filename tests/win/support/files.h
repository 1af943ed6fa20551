// Files, folders and registry values for the Windows-side tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "products.h"

// The folder of the running test program, where the programs under test are built.
std::string ExeDir();

// Makes `path` (with its parents) exist and be empty.
void FreshDir(const std::string& path);
void RemoveTree(const std::string& path);

bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // empty when missing
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
// The names in a folder, "." and ".." left out, in the order listed (Wine
// sorts them); and only its plain files, those an install copies.
std::vector<std::string> EntryNames(const std::string& dir);
std::vector<std::string> PlainFiles(const std::string& dir);
bool CopyInto(const std::string& file, const std::string& dir);  // keeps the name

// The product's install key under HKEY_USERS.
void DeleteProductKey(const Product& product);
bool ProductKeyExists(const Product& product);
std::string ProductKeyClass(const Product& product);
DWORD ProductValueCount(const Product& product);
bool ReadProductValue(const Product& product, const char* name, std::string* data, DWORD* type);
void SetProductValue(const Product& product, const char* name, DWORD type, const std::string& data);
// The install record: its data as stored (a path and its NUL), "(none)"
// when there is none; set to `dir` as the launcher would write it.
std::string Record(const Product& product);
void SetRecord(const Product& product, const std::string& dir);

// Wine's per-program Windows version ("win31", "nt351", "nt40"), read when a
// program starts.
void SetWindowsVersion(const char* exe, const char* version);
