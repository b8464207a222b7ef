#include "analyses/builtin_fields.h"

#include <windows.h>

#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "foundation/timestamps.h"

namespace {

constexpr size_t DescriptIonLimit = 1048576;
constexpr size_t ZoneStreamLimit = 65536;
constexpr DWORD RecallOnDataAccess = 0x400000;

enum FieldType : int { TypeInt = 1, TypeInt64 = 2, TypeFloat = 3, TypeDate = 4, TypeTime = 5, TypeBool = 6,
                       TypeChoice = 7, TypeText = 8 };

// The directory entry of exactly this file: a name with wildcards would give the
// entry of some other file.
bool ReadEntry(const std::wstring& file, WIN32_FIND_DATAW& entry) {
    size_t cut = file.find_last_of(L"\\/");
    if (file.find_first_of(L"*?", cut == std::wstring::npos ? 0 : cut) != std::wstring::npos) return false;
    FindHandle find(FindFirstFileW(file.c_str(), &entry));
    return find.Valid();
}

std::wstring FileNamePart(const std::wstring& file) {
    size_t cut = file.find_last_of(L"\\/");
    return cut == std::wstring::npos ? file : file.substr(cut + 1);
}

std::wstring FolderPart(const std::wstring& file) {
    size_t cut = file.find_last_of(L"\\/");
    return cut == std::wstring::npos ? L"" : file.substr(0, cut + 1);
}

std::wstring AttributeString(DWORD attrs) {
    std::wstring s = L"----";
    if (attrs & FILE_ATTRIBUTE_READONLY) s[0] = L'r';
    if (attrs & FILE_ATTRIBUTE_ARCHIVE) s[1] = L'a';
    if (attrs & FILE_ATTRIBUTE_HIDDEN) s[2] = L'h';
    if (attrs & FILE_ATTRIBUTE_SYSTEM) s[3] = L's';
    if (attrs & FILE_ATTRIBUTE_COMPRESSED) s += L'c';
    if (attrs & FILE_ATTRIBUTE_ENCRYPTED) s += L'e';
    return s;
}

// "1.2" of "1.2.3.4": the text before the second dot.
std::wstring VersionNumber(const std::wstring& version) {
    size_t first = version.find(L'.');
    if (first == std::wstring::npos) return version;
    size_t second = version.find(L'.', first + 1);
    return second == std::wstring::npos ? version : version.substr(0, second);
}

std::wstring FileTypeText(DWORD attrs) {
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return L"file";
    return attrs & FILE_ATTRIBUTE_REPARSE_POINT ? L"reparse point" : L"folder";
}

// A descript.ion line: "name with blanks" rest, or name rest.
bool SplitDescriptLine(const std::wstring& line, std::wstring& name, std::wstring& rest) {
    if (line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        if (close == std::wstring::npos) return false;
        name = line.substr(1, close - 1);
        rest = line.substr(close + 1);
        return true;
    }
    size_t gap = line.find_first_of(L" \t");
    if (gap == std::wstring::npos) return false;
    name = line.substr(0, gap);
    rest = line.substr(gap);
    return true;
}

std::wstring CommentText(std::wstring rest) {
    size_t end = rest.find(L'\x04');  // what follows belongs to other programs
    if (end != std::wstring::npos) rest.resize(end);
    for (size_t at; (at = rest.find(L"\\n")) != std::wstring::npos;) rest.replace(at, 2, L" ");
    return StrTrim(rest);
}

void AddDateAndTime(PvPlugin& row, const wchar_t* what, const FILETIME& time) {
    AddFieldDef(row, std::wstring(what) + L"date", TypeDate, StrFileTime(time, false));
    AddFieldDef(row, std::wstring(what) + L"time", TypeTime, StrFileTime(time, true));
}

void AddFlag(PvPlugin& row, const wchar_t* name, DWORD attrs, DWORD bit) {
    AddFieldDef(row, name, TypeBool, attrs & bit ? L"1" : L"0");
}

}  // namespace

void AddFieldDef(PvPlugin& row, const std::wstring& name, int type, const std::wstring& value) {
    FieldDef field;
    field.index = static_cast<int32_t>(row.fields.size());
    field.type = type;
    field.name = name;
    std::wstring text = value;
    for (wchar_t& c : text)
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    field.values.push_back({text.empty() ? -3 : type, text});
    row.fields.push_back(std::move(field));
}

std::wstring DescriptIonComment(const std::wstring& file) {
    std::wstring text = ReadTextFileAuto(PathJoin(PathDir(file), L"descript.ion"), DescriptIonLimit);
    std::wstring wanted = FoldCase(FileNamePart(file));
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        std::wstring name, rest;
        if (line.empty() || !SplitDescriptLine(line, name, rest)) continue;
        if (FoldCase(name) == wanted) return CommentText(rest);
    }
    return L"";
}

bool AddBuiltInFields(PvPlugin& row, const std::wstring& file) {
    WIN32_FIND_DATAW entry{};
    if (!ReadEntry(file, entry)) return false;
    DWORD attrs = entry.dwFileAttributes;
    bool folder = attrs & FILE_ATTRIBUTE_DIRECTORY;
    std::wstring name = FileNamePart(file);
    size_t dot = folder ? std::wstring::npos : name.rfind(L'.');
    std::wstring dosName = entry.cAlternateFileName[0] ? entry.cAlternateFileName : name;
    uint64_t size = (uint64_t(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    // Reading the version of a file that lives elsewhere would fetch it first.
    bool readVersion = !folder && !(attrs & (FILE_ATTRIBUTE_OFFLINE | RecallOnDataAccess));
    std::wstring version = readVersion ? FileVersionText(file, true) : L"";
    std::wstring zone = folder ? L"" : ReadTextFileAuto(file + L":Zone.Identifier", ZoneStreamLimit);
    std::wstring zoneId = IniValueFromText(zone, L"ZoneId");

    AddFieldDef(row, L"fullname", TypeText, file);
    AddFieldDef(row, L"name", TypeText, dot == std::wstring::npos ? name : name.substr(0, dot));
    AddFieldDef(row, L"ext", TypeText, dot == std::wstring::npos ? L"" : name.substr(dot + 1));
    AddFieldDef(row, L"dosname", TypeText, dosName);
    AddFieldDef(row, L"comment", TypeText, DescriptIonComment(file));
    AddFieldDef(row, L"path", TypeText, FolderPart(file));
    AddFieldDef(row, L"size", TypeInt64, folder ? L"" : std::to_wstring(size));
    AddDateAndTime(row, L"creation", entry.ftCreationTime);
    AddDateAndTime(row, L"write", entry.ftLastWriteTime);
    AddDateAndTime(row, L"access", entry.ftLastAccessTime);
    AddFieldDef(row, L"attributes", TypeInt, std::to_wstring(attrs));
    AddFieldDef(row, L"attributestr", TypeText, AttributeString(attrs));
    AddFlag(row, L"archive", attrs, FILE_ATTRIBUTE_ARCHIVE);
    AddFlag(row, L"read only", attrs, FILE_ATTRIBUTE_READONLY);
    AddFlag(row, L"hidden", attrs, FILE_ATTRIBUTE_HIDDEN);
    AddFlag(row, L"system", attrs, FILE_ATTRIBUTE_SYSTEM);
    AddFlag(row, L"folder", attrs, FILE_ATTRIBUTE_DIRECTORY);
    AddFlag(row, L"compressed", attrs, FILE_ATTRIBUTE_COMPRESSED);
    AddFlag(row, L"encrypted", attrs, FILE_ATTRIBUTE_ENCRYPTED);
    AddFlag(row, L"sparse", attrs, FILE_ATTRIBUTE_SPARSE_FILE);
    AddFlag(row, L"offline", attrs, FILE_ATTRIBUTE_OFFLINE);
    AddFieldDef(row, L"versionstring", TypeText, version);
    AddFieldDef(row, L"versionnr", TypeFloat, VersionNumber(version));
    AddFieldDef(row, L"file type", TypeChoice, FileTypeText(attrs));
    AddFieldDef(row, L"path length", TypeInt, std::to_wstring(file.size()));
    AddFieldDef(row, L"ZoneId", TypeInt, zoneId.empty() ? L"0" : zoneId);
    AddFieldDef(row, L"HostUrl", TypeText, IniValueFromText(zone, L"HostUrl"));
    AddFieldDef(row, L"ReferrerUrl", TypeText, IniValueFromText(zone, L"ReferrerUrl"));
    return true;
}
