// What a plugin-list row shows of its entry.
#pragma once
#include <string>

// The full display path of a plugin-list row (list index), "" when it names no entry.
std::wstring SelectedRowPath(int row);
// Rewrites the status cells of a plugin-list row after its probe answer came in.
void UpdateRowStatusCells(int row);
