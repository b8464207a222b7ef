// The large configuration of the benchmarks: 1,000 Lister and 1,000 Content
// entries with detect strings of real shapes, 300 packer extensions of 100
// libraries and 100 file-system plugins, all below %COMMANDER_PATH%\plugins.
#pragma once
#include <string>

std::wstring LargeConfigIni();
// Half of the plugin files exist, as on a machine where some were removed.
void MakeLargeConfigPlugins(const std::wstring& dir);
// Milliseconds of the performance counter.
double NowMs();
