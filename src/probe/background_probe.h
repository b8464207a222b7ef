// Probing the plugin kinds that are not on screen, one kind per job, so that the
// findings and the inventory can use their results.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "probe/workers.h"

// UI thread only.
extern uint8_t BgProbeRunning;     // a background job is running
extern std::set<int> BgProbedKinds; // kinds probed to the end, or compared with the inventory

// What the background probe needs of the main window.
class IProbeHost {
public:
    virtual ~IProbeHost() = default;
    virtual HWND ResultWindow() = 0;  // receives the results
    // The main tab control's selection; that kind has its own job.
    virtual int ShownTab() = 0;
    // The findings want every kind probed, setting or not.
    virtual bool FindingsShown() = 0;
};

// A job whose section is read on its worker: reading the files of ten thousand
// entries takes seconds. It reads the wincmd.ini in use when it began, whatever
// the window opened since, and leaves out the kind's plugins cached then.
struct BackgroundStart {
    std::unique_ptr<ProbeJob> job;
    std::wstring ini;
    std::set<std::wstring> cached;
};
// Its thread procedure: reads the section, then probes as ProbeThreadProc; frees the record.
DWORD WINAPI BackgroundProbeProc(LPVOID start);

// Starts the job of the first kind not probed to the end yet, when the setting
// Background of Probe is on or the findings tab is shown. Its worker reads the
// section and probes the plugins not cached when the job began, maybe none.
void StartBackgroundProbe(IProbeHost& host);
// At the job's end message: the kind is not taken again until the caches are reset.
void EndBackgroundJob(int kind);
