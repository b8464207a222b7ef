#include "analyses/acknowledged.h"

#include "foundation/data_folder.h"
#include "foundation/ini.h"

std::map<std::wstring, std::wstring> AckSet;

void LoadAckSet() {
    AckSet.clear();
    for (auto& [key, stamp] : ReadIniSection(SettingsIniPath(), L"Acknowledged")) AckSet[key] = stamp;
}
