// Texts of the views that depend on the setting of the path display or on detect items.
#pragma once
#include <string>

#include "dsx/detect_spec.h"

// A configured plugin path as the setting PathDisplay of View asks ("ini", "vars",
// "resolved"); compact never gives the raw INI form.
std::wstring PathForDisplay(const std::wstring& path, bool compact);
// The list text of a detect item: the extension, MULTIMEDIA, FORCE or a marker's words.
std::wstring KeywordListText(const DetectItem& item);
