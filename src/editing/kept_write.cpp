#include "editing/save_writers.h"

#include "foundation/files.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"

ProfileWriter ProfileWrite = WritePrivateProfileStringW;

namespace {

bool SameKept(const KeptEntry& a, const KeptEntry& b) {
    return a.kind == b.kind && a.number == b.number && a.hasDetect == b.hasDetect && a.detect == b.detect &&
           a.packerExts == b.packerExts && a.fsName == b.fsName && a.path == b.path && a.name == b.name &&
           a.stamp == b.stamp;
}

}  // namespace

std::wstring WriteKeptVerified(const KeptEntry& entry) {
    std::optional<std::wstring> key = WriteDisabledEntry(entry);
    if (!key) return L"";
    for (const KeptEntry& read : ReadDisabled((int)entry.kind))
        if (read.key == *key) return SameKept(read, entry) ? *key : L"";
    return L"";
}

std::wstring SectionFileOrError(SaveRun& run, int kind) {
    std::wstring file = WincmdIniPath.empty() ? L"" : FullPath(EffectiveIniPath(PlugSectionName(kind)));
    if (!file.empty() && FileExists(file)) return file;
    run.errors += Tr("err_write") + L" " + file + L"\r\n";
    return L"";
}
