// Moving Lister and Content plugins within TC's order: one place up or down, to
// the top or bottom, or gathered into one block. Only the kind's pending order
// changes; the save renumbers the section. UI thread only.
#pragma once
#include <windows.h>

#include <optional>
#include <vector>

class IEditingHost;

enum OrderOpCode : int { OrderUp = 0, OrderDown = 1, OrderTop = 2, OrderBottom = 3, OrderGather = 4 };
// The plugin menu's command ids: OrderCmdBase + the operation code.
constexpr int OrderCmdBase = 2990;

// The positions 0..n-1 in their new order (new position i takes old position
// result[i]); nothing when the operation would move nothing.
std::optional<std::vector<size_t>> OrderMove(const std::vector<bool>& selected, int op);
// Puts the moved entries into the kind's pending order; moved holds positions in
// the order the move starts from: the file's order as the pending one changes it.
// Erases the pending order when TC's own order comes back.
void ApplyOrderMove(int kind, const std::vector<size_t>& moved);
// The whole command on the plugin list of the shown tab (0 Lister, 1 Content):
// moves the selected entries, refills the list sorted by number and selects them again.
void OrderOp(IEditingHost& host, HWND list, int tab, int op);
