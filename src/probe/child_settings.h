// What a child run needs of the program's state, copied into each job on the UI
// thread, so a worker never reads a setting or a path the window may change.
#pragma once
#include <cstdint>
#include <string>

struct ChildSettings {
    std::wstring contplugIni;   // TC's contplug.ini beside the wincmd.ini in use, for /fields
    std::wstring twinExe;       // Kestrovane32.exe, "" when it is not there
    uint32_t timeoutMs = 5000;  // a /probe child's time limit; /fields gets twice that, at least 10 s
};

// The settings as they stand now; UI thread only.
ChildSettings CurrentChildSettings();
