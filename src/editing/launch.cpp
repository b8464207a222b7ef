#include "editing/launch.h"

#include <windows.h>

#include "editing/tc_control.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/tc_discovery.h"

namespace {

constexpr DWORD AfterRestartWaitMs = 15000;

std::wstring VarValue(wchar_t letter, const PlugRef& ref, const std::wstring& extra) {
    switch (letter) {
        case L'd': return PathDir(ref.expandedPath);
        case L'f': return ref.file;
        case L'n': return ref.name;
        case L'e': return extra;
        case L'i': return WincmdIniPath;
        default: return L"";
    }
}

bool IsVarAt(const std::wstring& t, size_t i) {
    return i + 1 < t.size() && t[i] == L'%' && std::wstring(L"dfnei").find(t[i + 1]) != std::wstring::npos;
}

// The target of "open in TC": the file when it exists, else its folder.
std::wstring TargetOf(const PlugRef& ref) { return FileExists(ref.file) ? ref.file : PathDir(ref.expandedPath); }

void ExplorerFallback(const PlugRef& ref) {
    if (FileExists(ref.file)) LaunchShell(L"explorer.exe", L"/select," + Quote(ref.file), L"");
    else LaunchShell(L"explorer.exe", Quote(PathDir(ref.expandedPath)), L"");
}

// "/O " when a TC window of exe runs (brought to the front first), else "".
std::wstring ReusePrefix(const std::wstring& exe) {
    for (HWND w : TcWindows()) {
        if (!StrIEquals(ProcessImageOfWindow(w), exe)) continue;
        SetForegroundWindow(w);
        Sleep(150);
        return L"/O ";
    }
    return L"";
}

bool DirectoryTabsOn() {
    std::wstring ini = EffectiveIniPath(L"Layout");
    std::wstring value = ini.empty() ? L"" : StrTrim(IniGetString(ini, L"Layout", L"DirectoryTabs"));
    return value != L"0";
}

}  // namespace

PlugRef MakePluginRef(const std::wstring& name, const std::wstring& path) {
    PlugRef ref;
    ref.name = name;
    ref.path = path;
    ref.expandedPath = EnvExpand(path);
    ref.file = FileExists(ref.expandedPath + L"64") ? ref.expandedPath + L"64" : ref.expandedPath;
    ref.hasPath = !path.empty();
    return ref;
}

void LaunchShell(const std::wstring& file, const std::wstring& args, const std::wstring& dir) {
    DebugLog(L"launch " + file + L" " + args);
    const Shell32Dll* shell = Shell32();
    HINSTANCE r = shell ? shell->ShellExecuteW(GetActiveWindow(), nullptr, file.c_str(),
                                               args.empty() ? nullptr : args.c_str(),
                                               dir.empty() ? nullptr : dir.c_str(), SW_SHOWNORMAL)
                        : nullptr;
    if ((INT_PTR)r > 32) return;
    std::wstring text = Tr("err_start") + L"\n" + file + L" " + args;
    MessageBoxW(GetActiveWindow(), text.c_str(), L"Kestrovane", MB_ICONEXCLAMATION);
}

std::wstring ExpandCmdVars(const std::wstring& tmpl, const PlugRef& ref, const std::wstring& extra, bool quote) {
    std::wstring out;
    for (size_t i = 0; i < tmpl.size();) {
        if (quote && tmpl[i] == L'"' && IsVarAt(tmpl, i + 1) && i + 3 < tmpl.size() && tmpl[i + 3] == L'"') {
            out += Quote(VarValue(tmpl[i + 2], ref, extra));
            i += 4;
        } else if (IsVarAt(tmpl, i)) {
            std::wstring v = VarValue(tmpl[i + 1], ref, extra);
            out += quote ? Quote(v) : v;
            i += 2;
        } else {
            out += tmpl[i++];
        }
    }
    return out;
}

void LaunchTemplate(const std::wstring& command, const PlugRef& ref, const std::wstring& extra) {
    std::wstring cmd = StrTrim(command);
    if (cmd.empty()) return;
    std::wstring folder = PathDir(ref.expandedPath), program, args;
    if (cmd[0] == L'"') {
        size_t close = cmd.find(L'"', 1);
        program = cmd.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
        if (close != std::wstring::npos) args = StrTrim(cmd.substr(close + 1));
    } else if (FileExists(EnvExpand(cmd))) {
        program = cmd;
    } else {
        size_t blank = cmd.find(L' ');
        program = cmd.substr(0, blank);
        if (blank != std::wstring::npos) args = StrTrim(cmd.substr(blank + 1));
    }
    program = EnvExpand(program);
    if (HasCmdVars(cmd)) args = ExpandCmdVars(args, ref, extra, false);
    else args = args.empty() ? Quote(folder) : args + L" " + Quote(folder);
    LaunchShell(program, args, folder);
}

void OpenInLister(const std::wstring& file) {
    std::wstring exe = TcExePath();
    if (exe.empty()) LaunchShell(L"notepad.exe", Quote(file), L"");
    else LaunchShell(exe, L"/S=L " + Quote(file), L"");
}

void ShowInExplorer(const PlugRef& ref) {
    if (ref.hasPath) ExplorerFallback(ref);
}

void OpenInTc(const PlugRef& ref, const std::wstring& exe) {
    if (!ref.hasPath) return;
    std::wstring program = exe.empty() ? TcExePath() : exe;
    if (program.empty()) {
        ExplorerFallback(ref);
        return;
    }
    std::wstring own = StrTrim(GetSetting(L"General", L"OpenInTc"));
    if (!own.empty()) {
        std::wstring args = HasCmdVars(own) ? ExpandCmdVars(own, ref, L"", true) : own + L" " + Quote(TargetOf(ref));
        LaunchShell(program, args, L"");
        return;
    }
    std::wstring prefix = exe.empty() ? L"/O " : ReusePrefix(exe);
    bool tabs = DirectoryTabsOn();
    DebugLog(std::wstring(L"open in TC, directory tabs ") + (tabs ? L"on" : L"off"));
    LaunchShell(program, prefix + (tabs ? L"/T /A /S /L=" : L"/A /S /L=") + Quote(TargetOf(ref)), L"");
}

std::function<void()> OpenInTcAfterRestart(const std::wstring& name, const std::wstring& path) {
    return [name, path] {
        DWORD start = GetTickCount();
        while (!FindWindowW(TcWindowClass, nullptr) && GetTickCount() - start < AfterRestartWaitMs) Sleep(200);
        if (!FindWindowW(TcWindowClass, nullptr)) return;
        Sleep(1500);
        OpenInTc(MakePluginRef(name, path), L"");
    };
}
