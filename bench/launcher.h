// Starting Kestrovane.exe from a benchmark and watching its main window from
// outside, as a user would see it: shown, filled, repainted, answering.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct Launched {
    HANDLE job = nullptr;  // the program and every child it starts
    HANDLE process = nullptr;
    DWORD pid = 0;
    double startMs = 0;  // NowMs() just before the process was created
};
bool Launch(Launched& run, const std::wstring& exe, const std::wstring& args);
// Ends the program and its children.
void EndLaunched(Launched& run);

// The process's top-level window of that class, or without one its visible one.
HWND TopWindowOf(DWORD pid, const wchar_t* className = nullptr);

struct MainWindows {
    HWND main = nullptr, status = nullptr, list = nullptr;  // list: the shown tab's plugin list
};
// Waits until the main window with its status bar and plugin list exists and is
// visible; false when it did not within the time.
bool WaitForMainWindows(const Launched& run, MainWindows& windows, double timeoutMs);
// The window's text (part 0 of a status bar); "" when it did not answer within the time.
std::wstring WindowText(HWND window, UINT timeoutMs = 60000);
int ListCount(HWND list, UINT timeoutMs = 60000);
// True once the window's thread took a sent message, so it waits for input again.
bool Answers(HWND window, UINT timeoutMs = 60000);
// Invalidates the window and waits until it was painted: the milliseconds of the
// wait, -1 when it was not painted within the time.
double RepaintMs(HWND window, double timeoutMs);

// A program folder of the benchmark's own: bin\Kestrovane.exe copied from the build
// with its INI beside it (English, starting on the Lister tab), and the
// benchmark's own texts in English too. The program's path, "" when the build has none.
std::wstring PrepareProgram(const std::wstring& dir);
void WriteUtf16File(const std::wstring& path, const std::wstring& text);
double Median(std::vector<double> values);
