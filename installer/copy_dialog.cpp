// DLG_INST: copies every plain file of the current directory into
// InstallPath, 65,536 bytes at a time, without blocking the GUI thread: each
// step is a message the dialog posts to itself, and before each post one
// pending message of the thread is dispatched, which is how painting and the
// cancel button reach the windows during the copy.
//
// The copy's steps, and what moves between them (at most one step message
// is pending; each failure tells the player, releases everything and ends
// the dialog with 0):
//
//   start --no entry passes the filter, a listing error, no memory--> end 0
//   start --the first entry passes, the buffer is held--------------> OPEN
//   OPEN  --both files open------------------------------------------> COPY
//   OPEN  --either cannot be opened (the source closed first)--------> end 0
//   COPY  --a chunk read and written whole, the bar painted----------> COPY
//   COPY  --the end of a file, the next entry passes------------------> OPEN
//   COPY  --the end of a file and of the listing, the record written-> end 1
//   COPY  --a read, a short write, a close or the listing fails------> end 0
//
// The cancel button, at any step: the question is asked while the copy
// waits (a step that arrives meanwhile is kept); No posts the kept step
// again and the copy goes on where it stopped; Yes releases everything and
// ends the dialog with 0. A step that arrives after the end does nothing.
//
// The session's end: when Windows asks (WM_QUERYENDSESSION) the dialog
// agrees, as the default handling does. Refusing would cancel the logoff or
// restart on Windows 95 and NT without a word to the player, who may have
// walked away from a long copy, and later Windows shows the refusal and
// ends the program anyway; an install is quickly removed and as quickly
// run again. When the session then ends (WM_ENDSESSION), at any step, in
// the cancel question or at a failure's notice, everything this install
// made is removed before the handler returns, as for a cancel: Windows may
// end the process right after. An install that completed was recorded
// before its notice, and stays.
#include "../common/app.h"
#include "../common/centring.h"
#include "../common/texts.h"
#include "../resources/ids.h"
#include "install_math.h"
#include "internal.h"
#include "paths.h"

enum { kChunkSize = 0x10000 };

// The engine's state, which spans many messages. Each handle, file and
// block is empty (0 or NULL) whenever it is not held.
struct CopyEngine {
    bool running;       // from the first step's post to the end
    bool completed;     // every file copied and the record written
    bool asking;        // the cancel question is open: steps wait
    UINT deferredStep;  // the step that arrived while asking
    HANDLE find;
    WIN32_FIND_DATAA entry;  // the entry being copied
    HFILE source, destination;
    OFSTRUCT sourceInfo, destinationInfo;
    BYTE* buffer;       // one locked movable block for the whole copy
    DWORD copiedBytes;  // written so far, over all files
};
static CopyEngine copy;

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
        PatBlt(dc, inside.left + 1, inside.top + 1, (int)ProgressWidth(inside.right - 2, copy.copiedBytes, installSize),
               height, PATCOPY);
    SelectObject(dc, previous);
    ReleaseDC(bar, dc);
    DeleteObject(green);
}

static void CloseFiles()
{
    if (copy.source) {
        _lclose(copy.source);
        copy.source = 0;
    }
    if (copy.destination) {
        _lclose(copy.destination);
        copy.destination = 0;
    }
}

// Every way out of the copy: everything held is released, then the message
// (if any), then the dialog ends. Nothing is held while the player reads.
static void FinishCopy(HWND dialog, const char* text, INT_PTR result)
{
    copy.running = false;
    copy.deferredStep = 0;
    FreeLockedBlock(copy.buffer);
    copy.buffer = NULL;
    CloseFiles();
    if (copy.find) {
        FindClose(copy.find);
        copy.find = NULL;
    }
    if (text)
        Notify(dialog, text);
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
    while (FindNextFileA(copy.find, &copy.entry))
        if (PassesCopyFilter(copy.entry.dwFileAttributes))
            return kEntryFound;
    return GetLastError() == ERROR_NO_MORE_FILES ? kNoMoreEntries : kUnreadable;
}

static void StartCopy(HWND dialog)
{
    CentreOnDesktop(dialog, kInstallerDialogExtent);
    copy = CopyEngine();
    HANDLE find = FindFirstFileA("*.*", &copy.entry);
    if (find == INVALID_HANDLE_VALUE) {
        FinishCopy(dialog, kTextNoFiles, 0);
        return;
    }
    copy.find = find;
    if (!PassesCopyFilter(copy.entry.dwFileAttributes)) {
        const NextEntryResult next = NextEntry();
        if (next != kEntryFound) {
            FinishCopy(dialog, next == kNoMoreEntries ? kTextNoFiles : kTextInstallFailed, 0);
            return;
        }
    }
    copy.buffer = (BYTE*)AllocLockedBlock(kChunkSize);
    if (!copy.buffer) {
        FinishCopy(dialog, kTextNoMemory, 0);
        return;
    }
    copy.running = true;
    PostStep(dialog, WM_INSTALL_OPEN);
}

static void OpenFiles(HWND dialog)
{
    char path[kPathSize];
    // ".\" keeps OpenFile to the current directory: a bare name would be
    // searched for in the program's own directory first.
    if (!JoinPath(path, sizeof path, ".\\", copy.entry.cFileName) ||
        (copy.source = OpenFile(path, &copy.sourceInfo, OF_READ)) == HFILE_ERROR) {
        copy.source = 0;
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    // A destination that does not fit its buffer is an open failure too. The
    // source is closed before the player is told.
    if (!JoinPath(path, sizeof path, InstallPath, "\\", copy.entry.cFileName) ||
        (copy.destination = OpenFile(path, &copy.destinationInfo, OF_CREATE)) == HFILE_ERROR) {
        copy.destination = 0;
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    PostStep(dialog, WM_INSTALL_COPY);
}

static void CopyChunk(HWND dialog)
{
    const UINT read = _lread(copy.source, copy.buffer, kChunkSize);
    if (read == (UINT)HFILE_ERROR) {
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    if (read == 0) {
        // The end of this file. A destination that cannot be closed may not
        // hold what was written to it.
        _lclose(copy.source);
        copy.source = 0;
        const HFILE closed = _lclose(copy.destination);
        copy.destination = 0;
        if (closed == HFILE_ERROR) {
            FinishCopy(dialog, kTextInstallFailed, 0);
            return;
        }
        switch (NextEntry()) {
        case kEntryFound: PostStep(dialog, WM_INSTALL_OPEN); break;
        case kNoMoreEntries:
            // Recorded before the player is told: a session that ends at the
            // notice keeps a complete install, and the next start finds it.
            copy.completed = true;
            WriteInstallRecord();
            FinishCopy(dialog, kTextInstallDone, 1);
            break;
        case kUnreadable: FinishCopy(dialog, kTextInstallFailed, 0); break;
        }
        return;
    }
    // A short write is a failed one: a full disk can take part of a chunk
    // without an error code, and counting it would finish a truncated copy.
    const UINT written = _lwrite(copy.destination, (LPCCH)copy.buffer, read);
    if (written != read) {
        FinishCopy(dialog, kTextInstallFailed, 0);
        return;
    }
    copy.copiedBytes += written;
    PaintProgressBar(dialog);
    PostStep(dialog, WM_INSTALL_COPY);
}

static void RunStep(HWND dialog, UINT step)
{
    if (!copy.running)
        return;
    if (copy.asking)
        copy.deferredStep = step;
    else if (step == WM_INSTALL_OPEN)
        OpenFiles(dialog);
    else
        CopyChunk(dialog);
}

// Button 402. A click arrives through a step's pump, with no step pending;
// one sent from another thread (an automation tool's BM_CLICK) can arrive
// with a step pending, which the question's own message loop would run.
// Either way no step runs while the player is asked.
static void CancelCopy(HWND dialog)
{
    if (!copy.running || !BeginCommand(&copy.asking))
        return;
    const bool cancel = Ask(dialog, kTextAbortQuestion, MB_DEFBUTTON2);
    EndCommand(&copy.asking);
    if (!copy.running)
        return;  // the session ended while the player was asked
    if (cancel) {
        FinishCopy(dialog, NULL, 0);
    } else if (copy.deferredStep) {
        PostMessageA(dialog, copy.deferredStep, 0, 0);
        copy.deferredStep = 0;
    }
}

// The session ends: an install that did not complete goes now, since the
// process may be ended as soon as this returns.
static void EndSession(HWND dialog)
{
    if (copy.completed)
        return;
    FinishCopy(dialog, NULL, 0);
    RemoveInstallDir();
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
    case WM_ENDSESSION:
        if (wParam)
            EndSession(dialog);
        return TRUE;
    }
    return FALSE;
}
