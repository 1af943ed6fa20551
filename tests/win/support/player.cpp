#include "player.h"

#include "../../../resources/ids.h"
#include "watch.h"
#include "windows_text.h"

std::string InstallLabel(HWND main) { return WindowText(GetDlgItem(main, IDC_INSTALL)); }

::testing::AssertionResult LabelBecomes(HWND main, const char* label)
{
    if (WaitFor([&] { return InstallLabel(main) == label; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "button 200 reads " << ShowBytes(InstallLabel(main)) << ", not "
                                         << ShowBytes(label);
}

::testing::AssertionResult Player::ChooseDirectory(const std::string& target) const
{
    Click(main, IDC_INSTALL);
    HWND select = driver.WaitForDialog(IDC_START);
    if (!select)
        return ::testing::AssertionFailure() << "no directory dialog";
    SetControlText(select, IDC_PATH, target);
    Click(select, IDC_START);
    const SeenBox question = driver.WaitForMessageBox();
    const std::string asked = std::string(kTextConfirmBefore) + target + kTextConfirmAfter;
    if (!question.window || question.text != asked || !HasStyle(question, MB_YESNO | MB_ICONQUESTION))
        return ::testing::AssertionFailure()
            << "wanted the question " << ShowBytes(asked) << ", saw " << Describe(question);
    Answer(question, IDYES);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Player::Notice(const char* text) const
{
    const SeenBox box = driver.WaitForMessageBox();
    ::testing::AssertionResult notice = IsNotice(box, text, WindowText(main));
    if (box.window)
        Answer(box, IDOK);
    return notice;
}

::testing::AssertionResult Player::Install(const std::string& target, const char* notice) const
{
    ::testing::AssertionResult chosen = ChooseDirectory(target);
    if (!chosen)
        return chosen;
    ::testing::AssertionResult ended = Notice(notice);
    if (!ended || notice != kTextInstallDone)
        return ended;
    return LabelBecomes(main, kLabelUninstall);
}

::testing::AssertionResult Player::Uninstall(int answer) const
{
    Click(main, IDC_INSTALL);
    const SeenBox question = driver.WaitForMessageBox();
    if (!question.window || question.text != kTextUninstallQuestion || !HasStyle(question, MB_YESNO | MB_ICONQUESTION))
        return ::testing::AssertionFailure() << "wanted the uninstall question, saw " << Describe(question);
    Answer(question, answer);
    return LabelBecomes(main, answer == IDYES ? kLabelInstall : kLabelUninstall);
}
