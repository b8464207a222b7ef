#include "probe/child_settings.h"

#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "hostcfg/tc_discovery.h"

ChildSettings CurrentChildSettings() {
    ChildSettings s;
    if (!WincmdIniPath.empty()) s.contplugIni = PathJoin(PathDir(WincmdIniPath), L"contplug.ini");
    s.twinExe = TwinExePath();
    s.timeoutMs = static_cast<uint32_t>(ProbeTimeoutMs());
    return s;
}
