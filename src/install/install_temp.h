// The install temporary folder: where archives are unpacked for installing, and
// the only routine that deletes there.
#pragma once
#include <string>

// %TEMP%\Kestrovane_install, or the folder in the program's data folder when TEMP
// is unset; computed on every call, never created here.
std::wstring InstallTempFolder();
// The path is the install temporary folder or lies inside it, however it is spelled
// (case, "..", trailing separators, short names or links on the way to an existing
// folder): whatever is put there is deleted with the next clean-up.
bool LiesInInstallTemp(const std::wstring& path);
// A fresh subfolder path for one unpack: "YYYYMMDD-hhmmss_<ticks mod 100000>".
std::wstring InstTempSubfolder();
// Deletes the folder with everything in it, only when it really lies strictly inside
// the install temporary folder: neither of them may be a link or junction, and the
// paths are compared as the file system resolves them. Links inside it are never
// followed; a tree holding one keeps the link and its folders. Reports nothing.
void InstTempClean(const std::wstring& folder);
// Deletes the files of a folder tree, depth levels deep, never entering a reparse
// point; the folders themselves stay. True when the tree holds no reparse point and
// every folder of it could be listed, so that the shell may delete the rest.
bool DeleteTreeFiles(const std::wstring& folder, int depth);
