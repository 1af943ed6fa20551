// VGX.EXE, our stand-in for the game engine in the demo and the tests.
// Appends one line, "<command line><TAB><working directory><TAB><its own
// path>", to the file named by VGX_LOG (else VGX.LOG in the working
// directory), shows nothing and exits 0.
#include <windows.h>

static void Append(HANDLE file, const char* text)
{
    DWORD written;
    WriteFile(file, text, (DWORD)lstrlenA(text), &written, NULL);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char logPath[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("VGX_LOG", logPath, sizeof logPath);
    if (length == 0 || length >= sizeof logPath)
        lstrcpyA(logPath, "VGX.LOG");
    char directory[MAX_PATH], engine[MAX_PATH];
    if (!GetCurrentDirectoryA(sizeof directory, directory))
        directory[0] = '\0';
    if (!GetModuleFileNameA(NULL, engine, sizeof engine))
        engine[0] = '\0';

    HANDLE file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        Append(file, GetCommandLineA());
        Append(file, "\t");
        Append(file, directory);
        Append(file, "\t");
        Append(file, engine);
        Append(file, "\r\n");
        CloseHandle(file);
    }
    return 0;
}
