#include "hostcfg/kept.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/ini.h"
#include "foundation/text.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"

std::vector<KeptEntry> KeptEntries;

namespace {

constexpr wchar_t DisabledSection[] = L"Disabled";
constexpr wchar_t ParkedSection[] = L"Parked";
constexpr size_t DisabledFieldCount = 8;
// A ninth field that marks a line whose fields are percent-escaped. Readers that
// know only eight fields ignore it; lines without it are read as they stand.
constexpr wchar_t EscapedMark[] = L"%";

// Percent escapes for the few characters a field or list item cannot hold.
std::wstring Escape(const std::wstring& text, const std::wstring& special) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'%' || special.find(c) != std::wstring::npos) {
            static const wchar_t hex[] = L"0123456789ABCDEF";
            out += L'%';
            out += hex[(c >> 4) & 15];
            out += hex[c & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        int hi = text[i] == L'%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        int lo = hi >= 0 ? HexDigit(text[i + 2]) : -1;
        if (lo >= 0) {
            out += (wchar_t)(hi * 16 + lo);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Key text: '=' would end the key early and '*' is ours, so both are written as
// "*e" and "*s"; "*n<k>" at the end tells apart entries that share one path.
// Paths never hold '*', so keys written without escapes read back unchanged.
std::wstring EncodeKey(const std::wstring& logical, int occurrence) {
    std::wstring out;
    for (wchar_t c : logical) {
        if (c == L'=') out += L"*e";
        else if (c == L'*') out += L"*s";
        else out += c;
    }
    if (occurrence > 1) out += L"*n" + std::to_wstring(occurrence);
    return out;
}

std::wstring DecodeKey(const std::wstring& stored) {
    std::wstring out;
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] != L'*' || i + 1 >= stored.size()) {
            out += stored[i];
        } else if (stored[i + 1] == L'e' || stored[i + 1] == L's') {
            out += stored[++i] == L'e' ? L'=' : L'*';
        } else if (stored[i + 1] == L'n') {
            break;
        } else {
            out += stored[i];
        }
    }
    return out;
}

std::vector<std::wstring> DisabledFields(const KeptEntry& e) {
    return {std::to_wstring(e.number), e.hasDetect ? L"1" : L"0", e.detect, e.packerExts, e.fsName, e.stamp,
            e.path, e.name};
}

// A field holding TAB, CR or LF, or a line that would end in blanks the profile
// functions might trim, is only safe escaped.
bool NeedsEscape(const std::vector<std::wstring>& fields) {
    for (const auto& f : fields)
        if (f.find_first_of(L"\t\r\n") != std::wstring::npos) return true;
    const std::wstring& last = fields.back();
    return last.empty() || std::iswspace(last.back());
}

std::wstring DisabledValue(const KeptEntry& e) {
    std::vector<std::wstring> fields = DisabledFields(e);
    bool escape = NeedsEscape(fields);
    std::wstring value;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) value += L'\t';
        value += escape ? Escape(fields[i], L"\t\r\n") : fields[i];
    }
    if (escape) value += std::wstring(L"\t") + EscapedMark;
    return value;
}

bool ParseDisabledLine(const std::wstring& key, const std::wstring& value, KeptEntry& e) {
    std::vector<std::wstring> f = SplitAt(value, L'\t');
    if (f.size() < DisabledFieldCount) return false;
    if (f.size() > DisabledFieldCount && f[DisabledFieldCount] == EscapedMark)
        for (size_t i = 0; i < DisabledFieldCount; ++i) f[i] = Unescape(f[i]);
    e.key = key;
    e.number = StrToInt(f[0]);
    e.hasDetect = f[1] == L"1";
    e.detect = f[2];
    e.packerExts = f[3];
    e.fsName = f[4];
    e.stamp = f[5];
    e.path = f[6];
    e.name = f[7];
    return true;
}

int KindOfLetter(wchar_t c) {
    for (int kind = 0; kind <= 3; ++kind)
        if (PlugKindLetter(kind) == c) return kind;
    return -1;
}

struct StoredLine {
    std::wstring key;
    KeptEntry entry;
};

std::vector<StoredLine> ReadDisabledLines() {
    std::vector<StoredLine> out;
    for (const auto& [key, value] : ReadIniSection(SettingsIniPath(), DisabledSection)) {
        KeptEntry e;
        if (key.size() < 2 || key[1] != L'|' || !ParseDisabledLine(key, value, e)) continue;
        int kind = KindOfLetter(key[0]);
        if (kind < 0) continue;
        e.kind = (uint32_t)kind;
        out.push_back({key, std::move(e)});
    }
    return out;
}

bool SameEntry(const KeptEntry& a, const KeptEntry& b) {
    return a.kind == b.kind && a.number == b.number && a.hasDetect == b.hasDetect && a.detect == b.detect &&
           a.packerExts == b.packerExts && a.fsName == b.fsName && a.path == b.path && a.name == b.name;
}

std::wstring DisabledKeyFor(const KeptEntry& entry) {
    if (std::optional<KeptEntry> stored = FindKeptLine(entry)) return stored->key;
    std::wstring logical = KindKey((int)entry.kind, entry.path);
    std::vector<StoredLine> lines = ReadDisabledLines();
    auto used = [&](const std::wstring& key) {
        return std::any_of(lines.begin(), lines.end(), [&](const StoredLine& l) { return StrIEquals(l.key, key); });
    };
    int occurrence = 1;
    while (used(EncodeKey(logical, occurrence))) ++occurrence;
    return EncodeKey(logical, occurrence);
}

// Parked lists have no length limit, so the value is read until it fits.
std::wstring ReadWholeValue(const std::wstring& ini, const wchar_t* section, const std::wstring& key) {
    for (DWORD size = 2048;; size *= 2) {
        std::wstring buf(size, L'\0');
        DWORD n = GetPrivateProfileStringW(section, key.c_str(), L"", buf.data(), size, ini.c_str());
        if (n + 1 < size || size >= (1u << 24)) return buf.substr(0, n);
    }
}

constexpr wchar_t ParkedSpecial[] = L", \t\r\n";

}  // namespace

std::optional<KeptEntry> FindKeptLine(const KeptEntry& entry) {
    std::wstring logical = KindKey((int)entry.kind, entry.path);
    for (auto& line : ReadDisabledLines()) {
        bool its = entry.key.empty() ? StrIEquals(DecodeKey(line.key), logical) &&
                                           (entry.kind == KindPacker || SameEntry(line.entry, entry))
                                     : StrIEquals(line.key, entry.key);
        if (its) return std::move(line.entry);
    }
    return std::nullopt;
}

std::optional<std::wstring> WriteDisabledEntry(const KeptEntry& entry) {
    std::wstring key = DisabledKeyFor(entry);
    if (!WriteSettingsIniValue(DisabledSection, key, DisabledValue(entry).c_str())) return std::nullopt;
    return key;
}

std::vector<KeptEntry> ReadDisabled(int kind) {
    std::vector<KeptEntry> out;
    for (auto& line : ReadDisabledLines())
        if ((int)line.entry.kind == kind) out.push_back(std::move(line.entry));
    return out;
}

bool RemoveDisabledKey(const std::wstring& key) {
    return WritePrivateProfileStringW(DisabledSection, key.c_str(), nullptr, SettingsIniPath().c_str());
}

void AppendKeptPackerExt(std::wstring& target, int flags, const std::wstring& ext) {
    if (!target.empty()) target += L';';
    target += ext + L":" + std::to_wstring(flags);
}

std::wstring PathOfId(int id) {
    if (id >= KeptIdBase) {
        size_t i = (size_t)(id - KeptIdBase);
        return i < KeptEntries.size() ? EnvExpand(KeptEntries[i].path) : L"";
    }
    if (id >= 0 && (size_t)id < TabEntries.size()) return TabEntries[(size_t)id].expandedPath;
    return L"";
}

// In the case the detect string's extensions are held in: a line written with the
// C runtime's upper-casing (äRZ) names the extension the string holds as ÄRZ.
std::vector<std::wstring> ParkedValue(const PlugEntry& entry) {
    std::vector<std::wstring> list;
    for (const auto& piece : SplitAt(ReadWholeValue(SettingsIniPath(), ParkedSection, IniKeyOfEntry(entry)), L',')) {
        std::wstring ext = UpperCase(Unescape(StrTrim(piece)));
        if (!ext.empty() && std::find(list.begin(), list.end(), ext) == list.end()) list.push_back(ext);
    }
    return list;
}

bool SaveParked(const PlugEntry& entry, const std::wstring& ext, bool park) {
    std::vector<std::wstring> list = ParkedValue(entry);
    auto it = std::find(list.begin(), list.end(), ext);
    if (park == (it != list.end())) return true;
    if (park) list.push_back(ext);
    else list.erase(it);
    std::wstring value;
    for (const auto& e : list) value += (value.empty() ? L"" : L",") + Escape(e, ParkedSpecial);
    return WriteSettingsIniValue(ParkedSection, IniKeyOfEntry(entry), list.empty() ? nullptr : value.c_str());
}
