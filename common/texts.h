// Every text the program shows at run time, besides its resources. The
// source is UTF-8; the compiler stores these as the code page 932 bytes that
// the ANSI API shows. Every message box has AppTitle as its caption.
#pragma once

// Start-up
inline constexpr char kTextSystemFault[] = "システムに異常があるので起動を中止します。";
inline constexpr char kTextWindowsTooOld[] = "このバージョンのＷｉｎｄｏｗｓでは動作しません。";

// Main window
inline constexpr char kLabelUninstall[] = "アンインストール(&U)";
inline constexpr char kLabelInstall[] = "インストール(&I)";
inline constexpr char kTextEngineMissing[] = "が在りません";  // follows the engine's path

// Install command and copy dialog
inline constexpr char kTextDialogFailed[] = "ダイアログＢＯＸの作成に失敗ました。";
inline constexpr char kTextNoFiles[] = "インストールするべきファイルが見つかりません。";
inline constexpr char kTextNoMemory[] = "メモリが足りません。";
inline constexpr char kTextInstallFailed[] = "インストールに失敗しました。";
inline constexpr char kTextInstallDone[] = "インストールが終了しました。";
inline constexpr char kTextAbortQuestion[] = "インストールを中断しますか？";

// Install-directory dialog
inline constexpr char kFormatInstallSize[] = "インストールに必用な容量 = %3d.%1d M byte";
inline constexpr char kTextNoDirectory[] = "ディレクトリを指定してください。";
inline constexpr char kTextNetworkDrive[] = "ネットワークドライブにはインストールできません。";
inline constexpr char kTextBadDrive[] = "指定ドライブにはインストールできません。";
inline constexpr char kTextNoSpace[] = "指定ドライブの空き容量が不足しています。";
inline constexpr char kTextConfirmBefore[] = "ディレクトリ\"";  // then the full path
inline constexpr char kTextConfirmAfter[] = "\"にインストールを行います。";
inline constexpr char kTextDirExists[] = "ディレクトリがすでに存在します。";
inline constexpr char kTextDirNotCreated[] = "ディレクトリが作成できません。";

// Uninstall
inline constexpr char kTextUninstallQuestion[] = "アンインストールを実行しますか？";
