// Starting other programs: TC, its Lister, Explorer and the user's own commands.
// Every start goes through LaunchShell. UI thread only.
#pragma once
#include <functional>
#include <string>

// A plugin as the launch commands see it.
struct PlugRef {
    std::wstring name;
    std::wstring path;          // as configured
    std::wstring expandedPath;  // environment variables expanded
    std::wstring file;          // expandedPath + "64" when that file exists, else expandedPath
    std::wstring detect;        // the entry's detect string in wincmd.ini
    bool hasDetect = false;
    bool hasPath = false;
    int entryIndex = -1;
};

PlugRef MakePluginRef(const std::wstring& name, const std::wstring& path);

// Shell execution with the default verb; a failed start is shown to the user.
void LaunchShell(const std::wstring& file, const std::wstring& args, const std::wstring& dir);
// Replaces %d (folder), %f (file), %n (name), %e (extra) and %i (wincmd.ini in use) in
// one pass from left to right, so an inserted value is never expanded again. With
// quote every value is inserted in double quotes exactly once, also where the
// template already quoted the placeholder.
std::wstring ExpandCmdVars(const std::wstring& tmpl, const PlugRef& ref, const std::wstring& extra, bool quote);
// Runs one of the user's own commands on a plugin.
void LaunchTemplate(const std::wstring& command, const PlugRef& ref, const std::wstring& extra);
// Shows a file in TC's Lister, or in Notepad without a TC.
void OpenInLister(const std::wstring& file);
void ShowInExplorer(const PlugRef& ref);
// Opens the plugin's folder in TC: in the running TC of exe when one runs, else a new one.
void OpenInTc(const PlugRef& ref, const std::wstring& exe);
// The callback an install runs after the save restarted TC: waits for TC's window
// (at most 15 s) and opens the installed plugin in it.
std::function<void()> OpenInTcAfterRestart(const std::wstring& name, const std::wstring& path);
