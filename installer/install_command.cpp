// The install command: the directory dialog, the copy dialog, then the
// record, or the removal of a partial install.
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
    WriteInstallRecord();
    IsInstalled = 1;  // for the rest of this run, even if the write failed
    return 1;
}
