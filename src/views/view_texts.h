// Texts of the views that depend on detect items.
#pragma once
#include <string>

#include "dsx/detect_spec.h"

// The list text of a detect item: the extension, MULTIMEDIA, FORCE or a marker's words.
std::wstring KeywordListText(const DetectItem& item);
