// The worker threads that probe plugins and read their files and fields, and the
// records they post to the window that applies the results.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "probe/child_settings.h"
#include "probe/fields.h"
#include "probe/plugin_info.h"
#include "probe_record/probe_result.h"

constexpr UINT MsgProbeResult = WM_APP + 1;
constexpr UINT MsgBackgroundDone = WM_APP + 2;
constexpr UINT MsgDetailsResult = WM_APP + 10;
constexpr UINT MsgFieldValues = WM_APP + 12;
constexpr UINT MsgFieldList = WM_APP + 20;

// Starting a job of a kind takes ++counter as its generation; a worker stops
// before its next item once the counter moved on.
extern std::atomic<uint32_t> ProbeGen;    // the shown tab's probe job
extern std::atomic<uint32_t> BgProbeGen;  // the background probe job
extern std::atomic<uint32_t> XcolGen;     // extra columns
extern std::atomic<uint32_t> PvFieldsGen; // preview fields

// Every job names the window its results go to (the main window) and carries what
// its children need (CurrentChildSettings on the UI thread); the job is handed to
// its thread procedure, which owns and frees it.
struct ProbeItem {
    uint32_t row = 0;  // index in the tab's entries; unused for a background job
    std::wstring path; // expanded
};
struct ProbeJob {
    HWND window = nullptr;
    uint32_t generation = 0;
    ChildSettings settings;
    uint32_t kind = 0;
    uint8_t background = 0;
    std::vector<ProbeItem> items;
};
struct ProbeMsg {
    uint32_t generation = 0;
    int32_t row = -1;
    uint32_t kind = 0;
    std::wstring path;
    ProbeResult result;
};
// A probe job's last message, after every result it posted.
struct BackgroundDoneMsg {
    uint32_t generation = 0;
    uint32_t kind = 0;
    uint8_t background = 0;
};

struct DetailsItem {
    int64_t id = 0;  // the list row's identifier
    std::wstring path;
};
struct DetailsJob {
    HWND window = nullptr;
    uint32_t generation = 0;
    std::vector<DetailsItem> items;
};
struct DetailsMsg {
    uint32_t generation = 0;
    int64_t id = 0;
    std::wstring path;
    PluginDetails values;
    uint8_t last = 0;  // the job's last item
};

struct FieldsItem {
    uint32_t index = 0;  // the preview row
    PvPlugin row;
};
struct FieldsJob {
    HWND window = nullptr;
    uint32_t generation = 0;
    ChildSettings settings;
    std::wstring file;
    std::vector<FieldsItem> items;
};
struct FieldValuesMsg {
    uint32_t generation = 0;
    uint32_t index = 0;
    PvPlugin result;
};

// The first and third texts travel unchanged into the message.
struct FieldScanItem {
    std::wstring first;
    std::wstring path;
    std::wstring third;
};
struct FieldScanJob {
    HWND window = nullptr;
    ChildSettings settings;
    std::vector<FieldScanItem> items;
};
struct FieldListMsg {
    std::wstring first;
    std::wstring third;
    std::vector<std::wstring> names;
    uint8_t ok = 0;  // the plugin answered
};

// At the program's end: every job stops before its next item, the field scan too,
// and the children running are ended, so the workers end soon.
void StopWorkers();

// Thread procedures for CreateThread; each takes its job (ProbeJob*, DetailsJob*,
// FieldsJob*, FieldScanJob*) and frees it, and posts its records with PostRecord.
DWORD WINAPI ProbeThreadProc(LPVOID job);
DWORD WINAPI DetailsThreadProc(LPVOID job);
DWORD WINAPI PreviewFieldsThread(LPVOID job);
DWORD WINAPI FieldScanThreadProc(LPVOID job);
