// DLG_INST: copies every plain file of the current directory into
// InstallPath, 65,536 bytes at a time, without blocking the GUI thread: each
// step is a message the dialog posts to itself, and before each post one
// pending message of the thread is dispatched, which is how painting and the
// cancel button reach the windows during the copy.
#include "../common/app.h"
#include "../common/centring.h"
#include "../common/texts.h"
#include "../resources/ids.h"
#include "install_math.h"
#include "internal.h"
#include "paths.h"

enum {
    WM_INSTALL_OPEN = WM_USER + 1000,  // open the source and destination of the current entry
    WM_INSTALL_COPY = WM_USER + 1001,  // copy the next chunk of the open pair
    kChunkSize = 0x10000,
};

// The engine's state spans many messages. Each part is empty (0 or NULL)
// whenever it is not held.
static HANDLE copyFind;
static WIN32_FIND_DATAA copyEntry;  // the entry being copied
static HFILE sourceFile;
static HFILE destinationFile;
static OFSTRUCT sourceInfo;
static OFSTRUCT destinationInfo;
static BYTE* copyBuffer;  // one locked movable block for the whole copy
static DWORD copiedBytes;  // written so far, over all files

// Dispatches at most one pending message of the thread, of any window:
// exactly one peek, no translation and no dialog keyboard handling.
static void PumpOneMessage()
{
    MSG message;
    if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// Paints the green part of the bar for copiedBytes of installSize, straight
// onto the control.
static void PaintProgressBar(HWND dialog)
{
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
    RECT inside;
    GetClientRect(bar, &inside);
    const int height = inside.bottom - 2;
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    HDC dc = GetDC(bar);
    HGDIOBJ previous = SelectObject(dc, green);
    // Inside a border of one black pixel, growing from the left.
    if (height > 0)
        PatBlt(dc, inside.left + 1, inside.top + 1, (int)ProgressWidth(inside.right - 2, copiedBytes, installSize),
               height, PATCOPY);
    SelectObject(dc, previous);
    ReleaseDC(bar, dc);
    DeleteObject(green);
}

static void ReleaseBuffer()
{
    if (copyBuffer) {
        HGLOBAL block = GlobalHandle(copyBuffer);
        GlobalUnlock(block);
        GlobalFree(block);
        copyBuffer = NULL;
    }
}

static void CloseFiles()
{
    if (sourceFile) {
        _lclose(sourceFile);
        sourceFile = 0;
    }
    if (destinationFile) {
        _lclose(destinationFile);
        destinationFile = 0;
    }
}

static void CloseFind()
{
    if (copyFind) {
        FindClose(copyFind);
        copyFind = NULL;
    }
}

// Every way out of the copy: the message (if any), then everything held is
// released, then the dialog ends.
static void FinishCopy(HWND dialog, const char* text, INT_PTR result)
{
    if (text)
        Notify(dialog, text);
    ReleaseBuffer();
    CloseFiles();
    CloseFind();
    EndDialog(dialog, result);
}

// Moves to the next entry that the copy takes; false at the end.
static bool NextEntry()
{
    while (FindNextFileA(copyFind, &copyEntry))
        if (PassesCopyFilter(copyEntry.dwFileAttributes))
            return true;
    return false;
}

static void StartCopy(HWND dialog)
{
    CentreOnDesktop(dialog, kInstallerDialogExtent);
    copyFind = NULL;
    sourceFile = destinationFile = 0;
    copyBuffer = NULL;

    HANDLE find = FindFirstFileA("*.*", &copyEntry);
    if (find == INVALID_HANDLE_VALUE) {
        FinishCopy(dialog, kTextNoFiles, 0);
        return;
    }
    copyFind = find;
    if (!PassesCopyFilter(copyEntry.dwFileAttributes) && !NextEntry()) {
        FinishCopy(dialog, kTextNoFiles, 0);
        return;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, kChunkSize);
    copyBuffer = (BYTE*)GlobalLock(block);
    if (!copyBuffer) {
        if (block)
            GlobalFree(block);
        FinishCopy(dialog, kTextNoMemory, 0);
        return;
    }
    PumpOneMessage();
    copiedBytes = 0;
    PostMessageA(dialog, WM_INSTALL_OPEN, 0, 0);
}

static void OpenFiles(HWND dialog)
{
    char path[kPathSize];
    // ".\" keeps OpenFile to the current directory: a bare name would be
    // searched for in the program's own directory first.
    if (!JoinPath(path, sizeof path, ".\\", copyEntry.cFileName) ||
        (sourceFile = OpenFile(path, &sourceInfo, OF_READ)) == HFILE_ERROR) {
        sourceFile = 0;
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    // A destination that does not fit its buffer is an open failure too.
    if (!JoinPath(path, sizeof path, InstallPath, "\\", copyEntry.cFileName) ||
        (destinationFile = OpenFile(path, &destinationInfo, OF_CREATE)) == HFILE_ERROR) {
        destinationFile = 0;
        _lclose(sourceFile);
        sourceFile = 0;
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    PumpOneMessage();
    PostMessageA(dialog, WM_INSTALL_COPY, 0, 0);
}

static void CopyChunk(HWND dialog)
{
    const UINT read = _lread(sourceFile, copyBuffer, kChunkSize);
    if (read == (UINT)HFILE_ERROR) {
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    if (read == 0) {
        // The end of this file. A destination that cannot be closed may not
        // hold what was written to it.
        _lclose(sourceFile);
        sourceFile = 0;
        const HFILE closed = _lclose(destinationFile);
        destinationFile = 0;
        if (closed == HFILE_ERROR) {
            FinishCopy(dialog, kTextInstallFailed, 0);
            return;
        }
        if (!NextEntry()) {
            FinishCopy(dialog, kTextInstallDone, 1);
            return;
        }
        PumpOneMessage();
        PostMessageA(dialog, WM_INSTALL_OPEN, 0, 0);
        return;
    }
    // A short write is a failed one: a full disk can take part of a chunk
    // without an error code, and counting it would finish a truncated copy.
    const UINT written = _lwrite(destinationFile, (LPCCH)copyBuffer, read);
    if (written != read) {
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    copiedBytes += written;
    PaintProgressBar(dialog);
    PumpOneMessage();
    PostMessageA(dialog, WM_INSTALL_COPY, 0, 0);
}

// Button 402. The question runs while no step message is pending, so the
// copy waits for the answer; on No the interrupted step goes on.
static void CancelCopy(HWND dialog)
{
    if (Ask(dialog, kTextAbortQuestion, MB_DEFBUTTON2))
        FinishCopy(dialog, NULL, 0);
}

INT_PTR CALLBACK DlgInstallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: StartCopy(dialog); return TRUE;
    case WM_COMMAND:
        if (wParam != IDC_CANCEL)
            break;
        CancelCopy(dialog);
        return TRUE;
    case WM_INSTALL_OPEN: OpenFiles(dialog); return TRUE;
    case WM_INSTALL_COPY: CopyChunk(dialog); return TRUE;
    }
    return FALSE;
}
