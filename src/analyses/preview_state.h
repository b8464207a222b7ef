// The file the preview tab looks at, shared by the Lister check and the content
// preview; remembered in the program's INI by the preview tab.
#pragma once
#include <string>

extern std::wstring PreviewFile;
