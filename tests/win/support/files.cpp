#include "files.h"

#include "../../../common/app.h"
#include "../../../installer/install_math.h"
#include "../../../installer/paths.h"

// Read as the program loads, before any test replaces GetModuleFileNameA.
static const std::string exeDir = [] {
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    const size_t name = NameOffset(path, IsSystemLeadByte);
    return std::string(path, name > 0 ? name - 1 : 0);
}();

std::string ExeDir() { return exeDir; }

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

void FreshDir(const std::string& path)
{
    RemoveTree(path);
    for (size_t at = NextSeparator(path.c_str(), 3, IsSystemLeadByte); at != kNoSeparator;
         at = NextSeparator(path.c_str(), at + 1, IsSystemLeadByte))
        CreateDirectoryA(path.substr(0, at).c_str(), NULL);
    CreateDirectoryA(path.c_str(), NULL);
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes(GetFileSize(file, NULL), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], (DWORD)bytes.size(), &read, NULL);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The names of the entries of `dir` whose attributes `keep` accepts.
static std::vector<std::string> Names(const std::string& dir, bool (*keep)(uint32_t attributes))
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != ".." && keep(entry.dwFileAttributes))
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

std::vector<std::string> EntryNames(const std::string& dir)
{
    return Names(dir, [](uint32_t) { return true; });
}

std::vector<std::string> PlainFiles(const std::string& dir) { return Names(dir, PassesCopyFilter); }

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyInto(const std::string& file, const std::string& dir)
{
    const std::string name = file.substr(NameOffset(file.c_str(), IsSystemLeadByte));
    return CopyFileA(file.c_str(), (dir + "\\" + name).c_str(), FALSE) != FALSE;
}

void DeleteProductKey(const Product& product) { RegDeleteKeyA(HKEY_USERS, product.keyPath); }

bool ProductKeyExists(const Product& product)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_USERS, product.keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static bool QueryKey(const Product& product, std::string* keyClass, DWORD* values)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_USERS, product.keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[64] = {};
    DWORD length = sizeof buffer;
    const LONG result = RegQueryInfoKeyA(key, buffer, &length, NULL, NULL, NULL, NULL, values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    *keyClass = std::string(buffer, length);
    return result == ERROR_SUCCESS;
}

std::string ProductKeyClass(const Product& product)
{
    std::string keyClass;
    DWORD values = 0;
    QueryKey(product, &keyClass, &values);
    return keyClass;
}

DWORD ProductValueCount(const Product& product)
{
    std::string keyClass;
    DWORD values = 0;
    return QueryKey(product, &keyClass, &values) ? values : DWORD(-1);
}

bool ReadProductValue(const Product& product, const char* name, std::string* data, DWORD* type)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_USERS, product.keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[1024];
    DWORD length = sizeof buffer;
    const LONG result = RegQueryValueExA(key, name, NULL, type, (BYTE*)buffer, &length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return false;
    data->assign(buffer, length);
    return true;
}

void SetProductValue(const Product& product, const char* name, DWORD type, const std::string& data)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_USERS, product.keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE*)data.data(), (DWORD)data.size());
    RegCloseKey(key);
}

std::string Record(const Product& product)
{
    std::string data;
    DWORD type = 0;
    return ReadProductValue(product, "InstallDir", &data, &type) ? data : std::string("(none)");
}

void SetRecord(const Product& product, const std::string& dir)
{
    SetProductValue(product, "InstallDir", REG_SZ, dir + std::string(1, '\0'));
}

void SetWindowsVersion(const char* exe, const char* version)
{
    HKEY key;
    const std::string path = std::string("Software\\Wine\\AppDefaults\\") + exe;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE*)version, lstrlenA(version) + 1);
    RegCloseKey(key);
}
