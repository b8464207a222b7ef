// The stages of a save that write wincmd.ini's plugin sections, key by key, each
// checked against what the file holds now and read back afterwards.
#pragma once
#include <windows.h>

#include <string>

#include "editing/save_request.h"

// Every write of a plugin section goes through this (WritePrivateProfileStringW);
// tests put a failing writer in its place.
using ProfileWriter = BOOL(WINAPI*)(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file);
extern ProfileWriter ProfileWrite;

// Lister (0) or Content (1): edits, a new order and activations, with the numbers
// closed up. A section that cannot be verified is put back as it was.
void SaveNumberedSection(SaveRun& run, int kind);
// Packer and File-system lines, stray lines and whole-section deletions.
void SavePlugLines(SaveRun& run);
// Re-activated and new Packer and File-system entries.
void SaveLineActivations(SaveRun& run);

// Writes a kept entry to the Disabled section and reads it back; its key, or ""
// when the line did not read back the same.
std::wstring WriteKeptVerified(const KeptEntry& entry);
// The file that holds a kind's section; "" when none, or when it is missing
// (then one err_write line was appended).
std::wstring SectionFileOrError(SaveRun& run, int kind);
