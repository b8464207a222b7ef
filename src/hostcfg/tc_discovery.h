// Where TC is installed, which wincmd.ini it uses, and which file holds each section.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "foundation/ini.h"

// The class of TC's main window.
inline constexpr wchar_t TcWindowClass[] = L"TTOTAL_CMD";

// Full path of the wincmd.ini in use; "" when none was found. Written on the UI thread only.
extern std::wstring WincmdIniPath;
// TC started this program: COMMANDER_INI and COMMANDER_PATH were both set at start-up.
extern bool StartedFromTc;

// A TC main window is open.
bool TcWindowOpen();
// The executable of the process that owns the window; "" for none or on failure.
std::wstring ProcessImageOfWindow(HWND window);
// The folder holds TOTALCMD64.EXE or TOTALCMD.EXE.
bool IsTcFolder(const std::wstring& folder);
// Sets StartedFromTc and, unless TC started us, COMMANDER_PATH from a running TC,
// the registry or the remembered folder.
void DiscoverTc();
// The wincmd.ini to use when none was named on the command line; "".
std::wstring FindWincmdIni();
// Moves COMMANDER_PATH to the TC folder that holds WincmdIniPath (up to two levels up).
void ApplyTcFolder();
// The running TC's executable, else the one in COMMANDER_PATH; "".
std::wstring TcExePath();
// A file in TC's folder; "" when COMMANDER_PATH is unset.
std::wstring TcFilePath(const std::wstring& name);
// The file that really holds the section (RedirectSection followed one level); "".
std::wstring EffectiveIniPath(const std::wstring& section);
// The same for a section of the wincmd.ini given.
std::wstring EffectiveIniPath(const std::wstring& wincmdIni, const std::wstring& section);
// The first character of the text that the file holding the section cannot hold
// as the profile functions write it (CharIniCannotHold); "" when none.
std::wstring CharSectionCannotHold(const std::wstring& section, const std::wstring& text);

// The files of one read of TC's configuration, each read once in one pass: a
// wincmd.ini and the files its RedirectSection lines lead to.
struct TcIniFiles {
    // Of the wincmd.ini in use: on the window's thread only, which may open another.
    TcIniFiles();
    // Of the wincmd.ini given, which a worker's job names.
    explicit TcIniFiles(std::wstring wincmdIni);
    std::wstring ini;  // the wincmd.ini read; "" for none
    std::map<std::wstring, IniSections> byPath;  // folded full path -> the file's sections
};
// The file's sections, read at the first ask; none for a missing file.
const IniSections& TcIniFile(TcIniFiles& files, const std::wstring& path);
// EffectiveIniPath, read from the files.
std::wstring EffectiveIniPath(TcIniFiles& files, const std::wstring& section);
// The same for a section of `ini` whose RedirectSection value is `redirect`; the
// [Configuration] AlternateUserIni value is asked only when the value is "1".
std::wstring RedirectTarget(const std::wstring& ini, const std::wstring& redirect,
                           const std::function<std::wstring()>& alternateUserIni);
// The TC folder remembered from an earlier run, "" when it no longer holds TC.
std::wstring RememberedTcDir();
// Remembers COMMANDER_PATH as the TC folder when it holds TC and differs; false
// when that could not be written.
bool RememberTcDir();
// TC's LanguageIni setting, for the choice of language; absent without a wincmd.ini.
std::optional<std::wstring> TcLanguageIni();
