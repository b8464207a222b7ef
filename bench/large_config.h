// The large configuration of the benchmarks: per unit of scale 1,000 Lister and
// 1,000 Content entries with detect strings of real shapes, 300 packer extensions
// of 100 libraries and 100 file-system plugins (2,400 lines, 2,200 plugins), all
// below %COMMANDER_PATH%\plugins.
#pragma once
#include <array>
#include <string>

std::wstring LargeConfigIni(int scale = 1);
// Half of the plugin files exist, as on a machine where some were removed; each
// holds the body of its kind (Lister, Content, Packer, File system), "x" by default.
// The folders of the removed ones are gone too, unless every folder is to stay.
void MakeLargeConfigPlugins(const std::wstring& dir, int scale = 1,
                            const std::array<std::string, 4>& bodies = {"x", "x", "x", "x"},
                            bool everyFolder = false);
// The number of distinct plugin files the configuration names.
int LargeConfigPluginCount(int scale = 1);
// Milliseconds of the performance counter.
double NowMs();
