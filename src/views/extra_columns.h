// The optional extra columns of the plugin list: file facts and version texts read
// by the details worker and cached per plugin path, the reach of the detect string
// and where a Content plugin's fields are used. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "probe/plugin_info.h"
#include "probe/workers.h"
#include "views/main_view.h"

// The plugin-list column of the "Used in" extra column; -1 while it is not shown.
int XcolFindUsedColumn();
// Writes the shown extra columns of one plugin-list row.
void XcolFillRow(MainView& view, int row, const PluginDetails& values);
// Rewrites the row's "Reach" cell, leaving its repaint to the caller: without a
// detect string in the INI the reach is the plugin's own, known only once the
// probe answered.
void XcolUpdateReachCell(MainView& view, int row);
// Fills the extra columns of every row: cached at once, the rest by a new details job.
void XcolStartWorker(MainView& view);
// Handler of MsgDetailsResult. It fills XcolCache, which the cache reset empties:
// a plugin file replaced by an install or another wincmd.ini must not show the old
// file's facts.
void ApplyExtraColValues(MainView& view, const DetailsMsg& result);
