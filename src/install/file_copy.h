// Copying a package's files into the target folder before the entries are written,
// with backups of what is replaced and a rollback when a copy fails.
#pragma once
#include <string>

#include "install/analysis.h"

// Budget of directory entries and folder depth of a package tree.
constexpr int InstCopyMaxEntries = 2000;
constexpr int InstCopyMaxDepth = 4;

// The save hook of an install: true when every file was copied (or nothing had to
// be). On false the error text holds the whole message, and the target is as it was
// before, as far as the backups allow; the message names whatever could not be restored.
bool InstCopyFiles(const InstInfo& info, std::wstring& errorText);
