// Copying a package's files into the target folder before the entries are written,
// with backups of what is replaced and a rollback when a copy fails.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "install/analysis.h"

// Budget of directory entries and folder depth of a package tree.
constexpr int InstCopyMaxEntries = 2000;
constexpr int InstCopyMaxDepth = 4;

// Into a general folder (TC's, plugins\wlx and the like) only the plugin's own files
// go: its builds, and the files at the package's top named after it (x.ini, x.chm).
bool IsOwnPluginFile(const InstInfo& info, const std::wstring& rel);
// The plugin's own files other than its builds that would replace a file of the same
// name in a general target folder, by name: the user is asked about them first.
std::vector<std::wstring> SharedFilesToReplace(const InstInfo& info);
// The save hook of an install: true when every file was copied (or nothing had to
// be); the files named in keep stay as they are. On false the error text holds the
// whole message, and the target is as it was before, as far as the backups allow;
// the message names whatever could not be restored.
bool InstCopyFiles(const InstInfo& info, const std::set<std::wstring>& keep, std::wstring& errorText);
