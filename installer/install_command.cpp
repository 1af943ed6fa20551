// The install command: the directory dialog, then the copy dialog, which
// records a completed install; a partial one is removed.
#include "../common/app.h"
#include "../common/texts.h"
#include "internal.h"

int InstallCommand(HWND owner)
{
    INT_PTR result = DialogBoxParamA(AppInstance, "DLG_SELECT", owner, DlgSelectProc, 0);
    if (result == -1) {
        Notify(owner, kTextDialogFailed);
        return 0;
    }
    if (result != 1)
        return 0;

    result = DialogBoxParamA(AppInstance, "DLG_INST", owner, DlgInstallProc, 0);
    if (result == -1) {
        Notify(owner, kTextDialogFailed);  // the new directory stays, empty
        return 0;
    }
    if (result != 1) {
        RemoveInstallDir();  // its parents stay
        return 0;
    }
    IsInstalled = 1;  // the copy dialog wrote the record; this run is installed even if that failed
    return 1;
}
