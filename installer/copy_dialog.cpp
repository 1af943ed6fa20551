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

// Where the copy is. A step acts only while the copy runs: while the cancel
// question is open it is kept for later, and one that arrives after the
// copy has ended (it was pending when a cancel arrived as a sent message)
// does nothing.
enum CopyState { kIdle, kCopying, kAsking };
static CopyState copyState;
static UINT deferredStep;  // the step that arrived while asking, to post again after No

// The engine's state spans many messages. Each part is empty (0 or NULL)
// whenever it is not held.
static HANDLE copyFind;
static WIN32_FIND_DATAA copyEntry;  // the entry being copied
static HFILE sourceFile;
static HFILE destinationFile;
static OFSTRUCT sourceInfo;
static OFSTRUCT destinationInfo;
static BYTE* copyBuffer;   // one locked movable block for the whole copy
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
    copyState = kIdle;
    deferredStep = 0;
    if (text)
        Notify(dialog, text);
    FreeLockedBlock(copyBuffer);
    copyBuffer = NULL;
    CloseFiles();
    CloseFind();
    EndDialog(dialog, result);
}

// The last act of every step: one pending message of the thread, then the
// next step.
static void PostStep(HWND dialog, UINT step)
{
    PumpOneMessage();
    PostMessageA(dialog, step, 0, 0);
}

enum NextEntryResult { kEntryFound, kNoMoreEntries, kUnreadable };

// Moves to the next entry that the copy takes. Only ERROR_NO_MORE_FILES is
// the end of the directory: any other error (a damaged disc) means files
// may be missing from the copy.
static NextEntryResult NextEntry()
{
    while (FindNextFileA(copyFind, &copyEntry))
        if (PassesCopyFilter(copyEntry.dwFileAttributes))
            return kEntryFound;
    return GetLastError() == ERROR_NO_MORE_FILES ? kNoMoreEntries : kUnreadable;
}

static void StartCopy(HWND dialog)
{
    CentreOnDesktop(dialog, kInstallerDialogExtent);
    copyState = kIdle;
    deferredStep = 0;
    copyFind = NULL;
    sourceFile = destinationFile = 0;
    copyBuffer = NULL;

    HANDLE find = FindFirstFileA("*.*", &copyEntry);
    if (find == INVALID_HANDLE_VALUE) {
        FinishCopy(dialog, kTextNoFiles, 0);
        return;
    }
    copyFind = find;
    if (!PassesCopyFilter(copyEntry.dwFileAttributes)) {
        const NextEntryResult next = NextEntry();
        if (next != kEntryFound) {
            FinishCopy(dialog, next == kNoMoreEntries ? kTextNoFiles : kTextInstallFailed, 0);
            return;
        }
    }
    copyBuffer = (BYTE*)AllocLockedBlock(kChunkSize);
    if (!copyBuffer) {
        FinishCopy(dialog, kTextNoMemory, 0);
        return;
    }
    copyState = kCopying;
    copiedBytes = 0;
    PostStep(dialog, WM_INSTALL_OPEN);
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
    // A destination that does not fit its buffer is an open failure too. The
    // source is closed before the player is told.
    if (!JoinPath(path, sizeof path, InstallPath, "\\", copyEntry.cFileName) ||
        (destinationFile = OpenFile(path, &destinationInfo, OF_CREATE)) == HFILE_ERROR) {
        destinationFile = 0;
        CloseFiles();
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    PostStep(dialog, WM_INSTALL_COPY);
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
        switch (NextEntry()) {
        case kEntryFound: PostStep(dialog, WM_INSTALL_OPEN); break;
        case kNoMoreEntries: FinishCopy(dialog, kTextInstallDone, 1); break;
        case kUnreadable: FinishCopy(dialog, kTextInstallFailed, 0); break;
        }
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
    PostStep(dialog, WM_INSTALL_COPY);
}

static void RunStep(HWND dialog, UINT step)
{
    if (copyState == kAsking)
        deferredStep = step;
    else if (copyState == kCopying && step == WM_INSTALL_OPEN)
        OpenFiles(dialog);
    else if (copyState == kCopying)
        CopyChunk(dialog);
}

// Button 402. A click arrives through a step's pump, with no step pending;
// one sent from another thread (an automation tool's BM_CLICK) can arrive
// with a step pending, which the question's own message loop would run.
// Either way no step runs while the player is asked: on No the copy goes on
// exactly where it stopped, on Yes it ends.
static void CancelCopy(HWND dialog)
{
    if (copyState != kCopying)
        return;  // already asking, or the copy has ended
    copyState = kAsking;
    const bool cancel = Ask(dialog, kTextAbortQuestion, MB_DEFBUTTON2);
    copyState = kCopying;
    if (cancel) {
        FinishCopy(dialog, NULL, 0);
    } else if (deferredStep) {
        PostMessageA(dialog, deferredStep, 0, 0);
        deferredStep = 0;
    }
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
    case WM_INSTALL_OPEN:
    case WM_INSTALL_COPY: RunStep(dialog, message); return TRUE;
    }
    return FALSE;
}
