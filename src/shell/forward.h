// Handing a file from a second start to the running copy.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// The dwData of WM_COPYDATA: four characters, the first in the most significant byte.
constexpr uint32_t ForwardTag(const char (&code)[5]) {
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
           (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}
constexpr uint32_t TagPreview = ForwardTag("KVDV");
constexpr uint32_t TagLister = ForwardTag("KVLS");
constexpr uint32_t TagInstall = ForwardTag("KVNI");

// Sends the path, made absolute, to the running copy's main window and brings that
// window to the front. Waits for a window that is still being created and for one
// that is busy; false when no window took the path.
bool UiForwardToRunning(const std::wstring& path, bool lister, bool install);
// Restores the running copy's window when minimised and brings it to the front.
void RaiseRunningWindow();
