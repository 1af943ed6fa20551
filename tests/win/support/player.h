// The launcher's main window played as a player plays it: from another
// process (the end-to-end tests) or another thread (the in-process ones).
// Each conversation checks what the player sees on the way and says what
// went wrong, at the caller's line.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "../../../common/texts.h"
#include "driver.h"

// The label of button 200: install or uninstall.
std::string InstallLabel(HWND main);

// Whether button 200 comes to read `label` (a command takes a moment to
// return after its last box).
::testing::AssertionResult LabelBecomes(HWND main, const char* label);

struct Player {
    const WindowDriver& driver;
    HWND main;

    // Presses install, types `target`, starts and answers the question about
    // it Yes: the copy then runs.
    ::testing::AssertionResult ChooseDirectory(const std::string& target) const;
    // Whether the next box is the notice `text` (captioned with the title
    // the main window shows); answers it.
    ::testing::AssertionResult Notice(const char* text) const;
    // The whole install into `target`: the copy ends with `notice`, and a
    // completed one relabels the button uninstall.
    ::testing::AssertionResult Install(const std::string& target, const char* notice = kTextInstallDone) const;
    // Presses uninstall and answers its question; after Yes the button reads
    // install again.
    ::testing::AssertionResult Uninstall(int answer) const;
};
