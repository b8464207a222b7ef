// The words a list shows for one item of a compiled detect string.
#pragma once
#include <string>

#include "dsx/detect_spec.h"

// The extension, MULTIMEDIA, FORCE or a marker's words.
std::wstring KeywordListText(const DetectItem& item);
