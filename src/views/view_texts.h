// Texts of the views that depend on the setting of the path display or on detect items.
#pragma once
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"
