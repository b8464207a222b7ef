// Probing the plugin kinds that are not on screen, one kind per job, so that the
// findings and the inventory can use their results.
#pragma once
#include <windows.h>

#include <cstdint>
#include <set>

// UI thread only.
extern uint8_t BgProbeRunning;     // a background job is running
extern std::set<int> BgProbedKinds; // kinds already compared with the inventory

// What the background probe needs of the main window.
class IProbeHost {
public:
    virtual ~IProbeHost() = default;
    virtual HWND ResultWindow() = 0;  // receives the results
    // The main tab control's selection; that kind has its own job.
    virtual int ShownTab() = 0;
    // The findings want every kind probed, setting or not.
    virtual bool FindingsShown() = 0;
    // For a kind with nothing left to probe: compares it with the inventory and shows the result.
    virtual void UpdateInventory(int kind) = 0;
};

// Starts the job of the first kind that still has unprobed plugins, when the
// setting Background of Probe is on or the findings tab is shown. Kinds with
// nothing to probe get their inventory updated on the way.
void StartBackgroundProbe(IProbeHost& host);
