#include "probe/plugin_info.h"

#include <windows.h>

#include <ctime>
#include <initializer_list>
#include <set>

#include "foundation/files.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "probe_record/pe.h"

namespace {

constexpr int AlwaysShown = 0;

struct Capability {
    const char* key;
    int group;  // a kind bit, or AlwaysShown
    std::initializer_list<const char*> exports;
    bool inColumn;
};

const Capability Capabilities[] = {
    {"cap_unicode", AlwaysShown, {"ListLoadW", "ContentGetValueW", "ProcessFileW", "FsInitW", "OpenArchiveW"}, false},
    {"cap_detect", AlwaysShown, {"ListGetDetectString", "ContentGetDetectString", "FsContentGetDetectString"}, true},
    {"cap_search", 1, {"ListSearchText", "ListSearchTextW", "ListSearchDialog"}, true},
    {"cap_print", 1, {"ListPrint", "ListPrintW"}, true},
    {"cap_preview", 1, {"ListGetPreviewBitmap", "ListGetPreviewBitmapW"}, true},
    {"cap_next", 1, {"ListLoadNext", "ListLoadNextW"}, true},
    {"cap_commands", 1, {"ListSendCommand"}, false},
    {"cap_edit", 2, {"ContentSetValue", "ContentSetValueW"}, true},
    {"cap_compare", 2, {"ContentCompareFiles"}, true},
    {"cap_pack", 4, {"PackFiles", "PackFilesW"}, true},
    {"cap_delete", 4, {"DeleteFiles", "DeleteFilesW"}, true},
    {"cap_mempack", 4, {"StartMemPack"}, false},
    {"cap_canhandle", 4, {"CanYouHandleThisFile", "CanYouHandleThisFileW"}, true},
    {"cap_crypt", 4, {"PkSetCryptCallback", "PkSetCryptCallbackW"}, true},
    {"cap_config", 4, {"ConfigurePacker"}, true},
    {"cap_bgflags", 4, {"GetBackgroundFlags"}, false},
    {"cap_fsput", 8, {"FsPutFile", "FsPutFileW"}, true},
    {"cap_fsdel", 8, {"FsDeleteFile", "FsDeleteFileW"}, true},
    {"cap_fsmkdir", 8, {"FsMkDir", "FsMkDirW"}, false},
    {"cap_fsrename", 8, {"FsRenMovFile", "FsRenMovFileW"}, false},
    {"cap_fsexec", 8, {"FsExecuteFile", "FsExecuteFileW"}, false},
    {"cap_fsicons", 8, {"FsExtractCustomIcon", "FsExtractCustomIconW"}, true},
    {"cap_fscontent", 8, {"FsContentGetValue", "FsContentGetValueW"}, true},
    {"cap_bgflags", 8, {"FsGetBackgroundFlags"}, false},
    {"cap_defini", AlwaysShown,
     {"ListSetDefaultParams", "ContentSetDefaultParams", "FsSetDefaultParams", "PackSetDefaultParams"}, false},
};

const wchar_t* const VersionKeys[] = {L"FileDescription", L"FileVersion", L"ProductName", L"ProductVersion",
                                      L"CompanyName",     L"LegalCopyright", L"Comments"};

bool Applies(const Capability& cap, int mask) { return cap.group == AlwaysShown || (cap.group & mask); }

struct VersionBlock {
    std::vector<uint8_t> data;
    std::vector<std::wstring> prefixes;
    bool hasTranslation = false;
    WORD language = 0;
};

std::wstring Prefix(unsigned language, unsigned codePage) {
    wchar_t text[40];
    swprintf(text, 40, L"\\StringFileInfo\\%04x%04x\\", language, codePage);
    return text;
}

VersionBlock ReadVersionBlock(const std::wstring& file) {
    VersionBlock block;
    const VersionDll* version = Version();
    if (!version) return block;
    DWORD ignored = 0;
    DWORD size = version->GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return block;
    block.data.resize(size);
    if (!version->GetFileVersionInfoW(file.c_str(), 0, size, block.data.data())) {
        block.data.clear();
        return block;
    }
    void* translation = nullptr;
    UINT length = 0;
    if (version->VerQueryValueW(block.data.data(), L"\\VarFileInfo\\Translation", &translation, &length) &&
        length >= 4) {
        auto words = static_cast<const WORD*>(translation);
        block.hasTranslation = true;
        block.language = words[0];
        block.prefixes.push_back(Prefix(words[0], words[1]));
    }
    block.prefixes.push_back(L"\\StringFileInfo\\040904b0\\");
    block.prefixes.push_back(L"\\StringFileInfo\\040904e4\\");
    return block;
}

// The stored value of the first prefix that has one longer than one character.
std::wstring RawVersionString(const void* block, const std::vector<std::wstring>& prefixes,
                              const std::wstring& key) {
    const VersionDll* version = Version();
    if (!block || !version) return L"";
    for (const std::wstring& prefix : prefixes) {
        void* value = nullptr;
        UINT length = 0;
        if (version->VerQueryValueW(block, (prefix + key).c_str(), &value, &length) && value && length > 1)
            return std::wstring(static_cast<const wchar_t*>(value), length - 1).c_str();
    }
    return L"";
}

// A link time that a real build could have: after 2000 and not beyond a year ahead.
bool PlausibleBuildTime(uint32_t t, SYSTEMTIME& local) {
    if (t <= 946684800u || static_cast<int64_t>(t) >= _time64(nullptr) + 31536000) return false;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (static_cast<uint64_t>(t) + 11644473600ull) * 10000000ull;
    FILETIME utc{ticks.LowPart, ticks.HighPart}, localTime;
    return FileTimeToLocalFileTime(&utc, &localTime) && FileTimeToSystemTime(&localTime, &local);
}

std::wstring Widened(const std::string& name) { return std::wstring(name.begin(), name.end()); }

std::set<std::string> NameSet(const PeInfo& pe) { return {pe.exports.begin(), pe.exports.end()}; }

struct InfoText {
    std::wstring text;
    void Line(const std::wstring& line) { text += line + L"\r\n"; }
    void Field(const char* label, const std::wstring& value) { Line(Tr(label) + L":  " + value); }
    void Heading(const std::wstring& heading) {
        Line(L"");
        Line(heading);
    }
};

std::wstring FolderText(const std::wstring& path, int mask) {
    std::wstring word;
    if (!PluginKindOfPathParts(path, word)) return Tr("folder_none");
    if (PluginKindOfPath(path, mask)) return FillVars(Tr("folder_bad"), {{L"f", word}, {L"k", PluginKindText(mask)}});
    return FillVar(Tr("folder_ok"), L"f", word);
}

void AddVersionSection(InfoText& info, const std::wstring& file) {
    info.Heading(Tr("info_version") + L":");
    VersionBlock block = ReadVersionBlock(file);
    bool any = false;
    for (const wchar_t* key : VersionKeys) {
        std::wstring value = RawVersionString(block.data.empty() ? nullptr : block.data.data(), block.prefixes, key);
        if (value.empty()) continue;
        info.Line(L"  " + StrPadRight(key, 17) + L" " + value);
        any = true;
    }
    if (!any) info.Line(L"  " + Tr("info_none"));
}

void AddUsageSection(InfoText& info, const FieldUsage& fieldUsage, const std::wstring& expandedPath,
                     int exportMask) {
    std::wstring usage = FieldUsageText(fieldUsage, PlugKey(expandedPath), L"  ");
    if (usage.empty() && !(exportMask & 2)) return;
    info.Heading(Tr("info_used") + L":");
    if (usage.empty())
        info.Line(L"  " + Tr("use_nowhere"));
    else
        info.text += usage.ends_with(L"\r\n") ? usage : usage + L"\r\n";
}

void AddCapabilitySection(InfoText& info, const std::set<std::string>& names, int mask) {
    info.Heading(Tr("info_caps") + L":");
    for (const Capability& cap : Capabilities) {
        if (!Applies(cap, mask)) continue;
        bool present = AnyNameIn(names, cap.exports);
        info.Line(L"  " + StrPadRight(Tr(cap.key), 44) + L" " + Tr(present ? "info_yes" : "info_no"));
    }
}

void AddExportSections(InfoText& info, const PeInfo& pe) {
    std::vector<std::wstring> api, other;
    for (const std::string& name : pe.exports) (IsPluginApiExport(name) ? api : other).push_back(L"  " + Widened(name));
    info.Heading(Tr("info_api") + L" (" + std::to_wstring(api.size()) + L"):");
    if (api.empty()) info.Line(L"  " + Tr("info_none"));
    for (const std::wstring& line : api) info.Line(line);
    if (other.empty()) return;
    info.Heading(Tr("info_other") + L":");
    for (const std::wstring& line : other) info.Line(line);
}

std::wstring BitsWord(uint16_t machine) {
    switch (machine) {
    case PeMachineX64: return L"64";
    case PeMachineX86: return L"32";
    case PeMachineArm64: return L"ARM64";
    default: return L"?";
    }
}

std::wstring ColumnCapabilities(const std::set<std::string>& names, int mask) {
    std::wstring text;
    for (const Capability& cap : Capabilities)
        if (cap.inColumn && Applies(cap, mask)) AppendKeyTextIfAnyNameIn(names, text, cap.key, cap.exports);
    return text;
}

void FillVersionColumns(PluginDetails& values, const std::wstring& file) {
    VersionBlock block = ReadVersionBlock(file);
    if (block.data.empty()) return;
    values.description = QueryVersionString(block.data.data(), block.prefixes, L"FileDescription");
    values.company = QueryVersionString(block.data.data(), block.prefixes, L"CompanyName");
    values.copyright = QueryVersionString(block.data.data(), block.prefixes, L"LegalCopyright");
    if (!block.hasTranslation) return;
    if (block.language == 0) {
        values.language = Tr("xv_neutral");
        return;
    }
    wchar_t name[128] = {};
    if (const VersionDll* version = Version()) version->VerLanguageNameW(block.language, name, 128);
    values.language = name;
}

}  // namespace

std::wstring MachineText(uint16_t machine) {
    switch (machine) {
    case PeMachineX64: return L"x64 (64 Bit)";
    case PeMachineX86: return L"x86 (32 Bit)";
    case PeMachineArm64: return L"ARM64";
    }
    wchar_t text[16];
    swprintf(text, 16, L"0x%04x", machine);
    return text;
}

std::wstring NoPluginMachineText(const std::wstring& path) {
    uint16_t machine = PeMachine(FileExists(path) ? path : path + L"64");
    return machine ? Tr("info_arch") + L": " + MachineText(machine) : Tr("info_notpe");
}

std::wstring QueryVersionString(const void* block, const std::vector<std::wstring>& prefixes,
                                const std::wstring& key) {
    return StrTrim(RawVersionString(block, prefixes, key));
}

std::wstring PluginInfoText(const std::wstring& configuredPath, const std::wstring& expandedPath,
                            const std::wstring& file, const FieldUsage& usage) {
    InfoText info;
    info.Field("info_file", file);
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &attributes)) {
        uint64_t size = (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
        info.Field("info_size", std::to_wstring(size) + L" Bytes");
        info.Field("info_date", StampToLocalText(FileStamp(expandedPath)));
    }
    PeInfo pe;
    ReadPeExports(pe, file);
    if (!pe.valid) {
        info.Line(L"");
        info.Line(Tr("info_notpe"));
        return info.text;
    }
    info.Field("info_arch", MachineText(pe.machine));
    SYSTEMTIME built;
    info.Field("info_build", PlausibleBuildTime(pe.timestamp, built) ? MinuteStampText(built) : Tr("info_build_none"));
    int exportMask = PluginKindMaskOf(pe.exports);
    int mask = exportMask;
    std::wstring suffix;
    if (!mask) {
        mask = PluginKindOfExtPart(file);
        suffix = L"  (" + Tr("kind_byext") + L")";
    }
    info.Field("info_kind", PluginKindText(mask) + suffix);
    info.Field("info_folder", FolderText(configuredPath.empty() ? expandedPath : configuredPath, mask));
    AddVersionSection(info, file);
    AddUsageSection(info, usage, expandedPath, exportMask);
    AddCapabilitySection(info, NameSet(pe), exportMask);
    AddExportSections(info, pe);
    DebugLog(L"info " + file + L": " + std::to_wstring(pe.exports.size()) + L" exports");
    return info.text;
}

const std::wstring& PluginDetailColumn(const PluginDetails& details, size_t column) {
    static constexpr std::wstring PluginDetails::*kColumns[PluginDetailColumns] = {
        &PluginDetails::description, &PluginDetails::company,  &PluginDetails::copyright,
        &PluginDetails::language,    &PluginDetails::bits,     &PluginDetails::buildDate,
        &PluginDetails::kind,        &PluginDetails::unicode,  &PluginDetails::capabilities,
        &PluginDetails::size,        &PluginDetails::fileDate, &PluginDetails::reach,
        &PluginDetails::used};
    return details.*kColumns[column < PluginDetailColumns ? column : PluginDetailColumns - 1];
}

PluginDetails BuildPluginDetails(const std::wstring& path) {
    PluginDetails values;
    std::wstring file = FileExists(path + L"64") ? path + L"64" : path;
    if (!FileExists(file)) return values;
    FillVersionColumns(values, file);
    for (const std::wstring& candidate : {path, path + L"64"}) {
        if (!FileExists(candidate)) continue;
        std::wstring word = BitsWord(PeMachine(candidate));
        if (values.bits.find(word) == std::wstring::npos) values.bits += (values.bits.empty() ? L"" : L" + ") + word;
    }
    PeInfo pe;
    ReadPeExports(pe, file);
    if (pe.valid) {
        SYSTEMTIME built;
        values.buildDate = PlausibleBuildTime(pe.timestamp, built) ? MinuteStampText(built).substr(0, 10) : L"\u2013";
        int mask = PluginKindMaskOf(pe.exports);
        values.kind = PluginKindText(mask);
        std::set<std::string> names = NameSet(pe);
        values.unicode = Tr(AnyNameIn(names, {"ListLoadW", "ContentGetValueW", "FsInitW", "OpenArchiveW", "ProcessFileW"})
                           ? "info_yes"
                           : "info_no");
        values.capabilities = ColumnCapabilities(names, mask);
    }
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &attributes)) {
        uint64_t size = (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
        values.size = std::to_wstring((size + 1023) / 1024) + L" KB";
        values.fileDate = StampToLocalText(FileStamp(path));
    }
    return values;
}
