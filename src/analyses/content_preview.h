// The content preview of one file: which Content plugins give which field values,
// asked in the background through the /fields child, and which plugin's fields
// are opened for the user. The model lives on the UI thread; each operation tells
// the view it is given what to show anew.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "analyses/preview_view.h"
#include "probe/fields.h"

// Row 0 is the built-in group, then the ContentPlugins entries in their order.
extern std::vector<PvPlugin> PvPlugins;
// Rows whose check box is ticked: their fields are shown.
extern std::set<int> PvChecked;
// The plugin shown has been chosen for this file.
extern uint8_t PvChoiceMade;
// Lower-case extension -> keys of the plugins ticked for it; for the life of the process.
extern std::map<std::wstring, std::set<std::wstring>> PvLastChoice;
// The lower-case extension of the preview file.
extern std::wstring PvCurrentExt;
// Why the shown plugin was chosen.
extern std::wstring PvWhyText;
// Rows queued for a query, and answers taken in; running while PvAnswered is below.
extern int32_t PvJobsPending;
extern int32_t PvAnswered;

// The plugin names, unescaped and folded, of section PreviewSkip whose value is "1".
std::set<std::wstring> LoadPreviewSkip();

// Rebuilds the content preview for PreviewFile and starts the query of the plugins
// that match it; answers of earlier queries are dropped from now on.
void PvRefresh(IPreviewView& view);
// Queries one plugin row again.
void StartFieldsJob(IPreviewView& view, int index);
// Takes in the preview worker's answer for a row; answers of an old generation are dropped.
void PvTakeAnswer(IPreviewView& view, uint32_t generation, uint32_t index, const PvPlugin& answer);
// Chooses the plugin whose fields are opened, once per file.
void UpdatePreviewVerdict(IPreviewView& view);
// The user ticked or unticked the check box of a row.
void PvCheckPlugin(IPreviewView& view, int index, bool checked);

int PvCountValuedFields(const PvPlugin& row);
bool PvIsLoadFail1114(const PvPlugin& row);
bool PvRunning();
