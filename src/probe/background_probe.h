// Probing the plugin kinds that are not on screen, one kind per job, so that the
// findings and the inventory can use their results.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>

// UI thread only.
extern uint8_t BgProbeRunning;     // a background job is running
extern std::set<int> BgProbedKinds; // kinds already compared with the inventory

// What the background probe needs of the main window.
struct BackgroundProbeHost {
    HWND window = nullptr;  // receives the results
    int shownTab = 0;       // the main tab control's selection; that kind has its own job
    bool findingsShown = false;  // the findings want every kind probed, setting or not
    std::function<void(int kind)> updateInventory;  // for a kind with nothing left to probe
};

// Starts the job of the first kind that still has unprobed plugins, when the
// setting Background of Probe is on or the findings tab is shown. Kinds with
// nothing to probe get their inventory updated on the way.
void StartBackgroundProbe(const BackgroundProbeHost& host);
