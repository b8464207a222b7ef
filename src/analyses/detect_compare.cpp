#include "analyses/detect_compare.h"

#include <algorithm>

#include "foundation/text.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"

namespace {

bool HasExtensionItem(const DetectSpec& spec) {
    return std::any_of(spec.items.begin(), spec.items.end(), [](const DetectItem& i) { return i.kind == DetItemExt; });
}

// A string that only excludes extensions (EXT!="TXT", !(EXT="TXT")) already takes
// every other file, so no extension of the plugin is missing from it.
bool OnlyExcludes(const DetectSpec& spec) { return !spec.excluded.empty() && !HasExtensionItem(spec); }

bool AnyExtensionWhere(const DetectSpec& spec, auto pred) {
    return std::any_of(spec.items.begin(), spec.items.end(),
                       [&](const DetectItem& i) { return i.kind == DetItemExt && pred(i); });
}

}  // namespace

bool IniLacks(const DetectSpec& ini, const DetectItem& item) {
    if (ini.negatedListForm || OnlyExcludes(ini) || ExtListContains(ini.items, item)) return false;
    return std::none_of(ini.excluded.begin(), ini.excluded.end(),
                        [&](const std::wstring& e) { return ExtRuleMatch(e, item.text); });
}

bool ExtEntryEqual(const DetectItem& a, const DetectItem& b) {
    if (a.kind != b.kind) return false;
    return a.kind == DetItemExt ? ExtRuleMatch(a.text, b.text) : a.text == b.text;
}

bool ExtListContains(const std::vector<DetectItem>& list, const DetectItem& item) {
    return std::any_of(list.begin(), list.end(), [&](const DetectItem& i) { return ExtEntryEqual(i, item); });
}

int RowCheckState(const PlugEntry& entry) {
    if (entry.kind == KindPacker || entry.kind == KindFileSystem || entry.probeStatus != ProbeOk)
        return CheckNotApplicable;
    if (!entry.hasDetect || StrTrim(entry.detectText).empty()) return CheckIniNone;
    if (NormKeyText(entry.probeAnswer) == NormKeyText(entry.detectText)) return CheckSame;
    const DetectSpec& ini = entry.iniDetect;
    const DetectSpec& plugin = entry.pluginDetect;
    bool pluginMore = AnyExtensionWhere(plugin, [&](const DetectItem& i) { return IniLacks(ini, i); });
    if (ini.items.empty()) return pluginMore ? CheckPluginMore : CheckSameExtensions;
    bool iniMore = AnyExtensionWhere(ini, [&](const DetectItem& i) { return !ExtListContains(plugin.items, i); });
    if (pluginMore && iniMore) return CheckBothDiffer;
    if (iniMore) return CheckIniMore;
    return pluginMore ? CheckPluginMore : CheckSameExtensions;
}
