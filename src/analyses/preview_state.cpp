#include "analyses/preview_state.h"

std::wstring PreviewFile;
