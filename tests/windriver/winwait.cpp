// WINWAIT.EXE: lets scripts wait for the launcher's main window and close it
// the way a player would. Used by the demo.
//   WINWAIT wait    waits until a main window shows and prints its title
//   WINWAIT close   presses its exit button and waits until it is gone
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "../../resources/ids.h"
#include "driver.h"
#include "windows_text.h"

int main(int argc, char** argv)
{
    if (argc != 2 || (strcmp(argv[1], "wait") != 0 && strcmp(argv[1], "close") != 0)) {
        fprintf(stderr, "usage: WINWAIT wait|close\n");
        return 2;
    }
    HWND main = FindMainWindow(60000);
    if (!main) {
        fprintf(stderr, "WINWAIT: no launcher window appeared\n");
        return 1;
    }
    if (strcmp(argv[1], "wait") == 0) {
        printf("%s\n", WindowText(main).c_str());
        return 0;
    }
    Click(main, IDC_EXIT);
    return WaitFor([&] { return !IsWindow(main); }) ? 0 : 1;
}
