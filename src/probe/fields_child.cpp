// The /fields child: lists a Content plugin's fields and, for a file, their values.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/encoding.h"
#include "probe/child_plugin.h"
#include "probe/child_run.h"
#include "probe/fields.h"

namespace {

using SetDefaultParamsFn = void(__stdcall*)(PluginDefaultParams* params);
using GetSupportedFieldFn = int(__stdcall*)(int index, char* name, char* units, int maxLen);
using GetValueFn = int(__stdcall*)(char* file, int index, int unit, void* value, int maxLen, int flags);
using GetValueWFn = int(__stdcall*)(wchar_t* file, int index, int unit, void* value, int maxLen,
                                    int flags);

constexpr int MaxFields = 500;
constexpr int MaxUnits = 16;
constexpr int ValueBytes = 4096;
constexpr int ValueMaxLen = 4092;

struct ContentCalls {
    GetSupportedFieldFn supportedField;
    GetValueFn value;
    GetValueWFn valueW;
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[512];  // room for any double in "%.0f"
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// TAB, CR and LF would break the line format.
std::string Flatten(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string AnsiColumn(const char* bytes) { return Flatten(StrToUtf8(AnsiToWide(bytes))); }

std::string FileTimeText(const uint8_t* buffer) {
    FILETIME utc, local;
    std::memcpy(&utc, buffer, sizeof utc);
    SYSTEMTIME t{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return "";
    return Format("%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
}

std::string ValueText(int res, const std::vector<uint8_t>& buffer) {
    const uint8_t* b = buffer.data();
    auto word = [b](int i) {
        uint16_t w;
        std::memcpy(&w, b + 2 * i, 2);
        return static_cast<unsigned>(w);
    };
    int32_t i32;
    int64_t i64;
    double d;
    std::memcpy(&i32, b, 4);
    std::memcpy(&i64, b, 8);
    std::memcpy(&d, b, 8);
    // The buffer is zeroed and four bytes longer than the plugin may fill, so
    // every text below ends inside it.
    switch (res) {
    case 1: return Format("%d", i32);
    case 2: return Format("%lld", static_cast<long long>(i64));
    case 3: return b[8] ? AnsiColumn(reinterpret_cast<const char*>(b + 8)) : FieldDoubleText(d);
    case 4: return Format("%04u-%02u-%02u", word(0), word(1), word(2));
    case 5: return Format("%02u:%02u:%02u", word(0), word(1), word(2));
    case 6: return i32 ? "1" : "0";
    case 7:
    case 8: return AnsiColumn(reinterpret_cast<const char*>(b));
    case 10: return FileTimeText(b);
    case 11: return Flatten(StrToUtf8(reinterpret_cast<const wchar_t*>(b)));
    default: return "";
    }
}

int UnitCount(const std::string& units) {
    int count = 1;
    for (char c : units)
        if (c == '|') ++count;
    return count < MaxUnits ? count : MaxUnits;
}

void PrintValues(const ContentCalls& calls, int field, int unitCount, std::wstring& wideFile,
                 std::string& ansiFile) {
    for (int unit = 0; unit < unitCount; ++unit) {
        std::vector<uint8_t> buffer(ValueBytes, 0);
        int res = calls.valueW ? calls.valueW(wideFile.data(), field, unit, buffer.data(), ValueMaxLen, 0)
                               : calls.value(ansiFile.data(), field, unit, buffer.data(), ValueMaxLen, 0);
        StdoutWrite(Format("V\t%d\t%d\t%d\t", field, unit, res) + ValueText(res, buffer) + "\n");
    }
}

void PrintFields(const ContentCalls& calls, const std::wstring& file) {
    std::wstring wideFile = file;
    std::string ansiFile = WideToAnsiLimited(file, 520);
    for (int i = 0; i < MaxFields; ++i) {
        char name[512] = {};
        char units[2048] = {};
        int type = calls.supportedField(i, name, units, 511);
        if (type < 1) return;
        // The plugin may fill the whole buffer; the last byte stays a terminator.
        name[sizeof name - 1] = units[sizeof units - 1] = 0;
        std::string unitText = AnsiColumn(units);
        StdoutWrite(Format("F\t%d\t%d\t", i, type) + AnsiColumn(name) + "\t" + unitText + "\n");
        if (file.empty() || type == 9 || type == 12) continue;
        PrintValues(calls, i, UnitCount(unitText), wideFile, ansiFile);
    }
}

}  // namespace

std::string FieldDoubleText(double value) {
    if (std::isnan(value)) return "NaN";
    double m = std::fabs(value);
    // "%.0f" keeps huge and infinite values defined where an integer cast would not be.
    if (m > 9e15) return Format(value < 0 ? "-%.0f" : "%.0f", std::trunc(m));
    auto n = static_cast<unsigned long long>(m);
    auto f = static_cast<unsigned long long>((m - static_cast<double>(n)) * 1000000 + 0.5);
    if (f > 999999) {
        ++n;
        f -= 1000000;
    }
    // A value that rounds to zero has no sign to show.
    std::string sign = value < 0 && (n || f) ? "-" : "";
    std::string text = sign + Format("%llu", n);
    if (f == 0) return text;
    std::string fraction = Format("%06llu", f);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    return text + "," + fraction;
}

int FieldsChildMain(const std::wstring& dll, const std::wstring& file, const std::wstring& contplugIni) {
    HMODULE plugin = ChildLoadPlugin(dll);
    if (!plugin) return 2;
    if (auto setParams = PluginExport<SetDefaultParamsFn>(plugin, "ContentSetDefaultParams")) {
        PluginDefaultParams params = MakePluginDefaultParams(12, WideToAnsiLimited(contplugIni, 261));
        setParams(&params);
    }
    ContentCalls calls{PluginExport<GetSupportedFieldFn>(plugin, "ContentGetSupportedField"),
                       PluginExport<GetValueFn>(plugin, "ContentGetValue"),
                       PluginExport<GetValueWFn>(plugin, "ContentGetValueW")};
    if (!calls.supportedField || (!calls.value && !calls.valueW)) {
        StdoutWrite("NOEXPORT\n", 9);
        ChildEndNow(0);
    }
    StdoutWrite("OK\n", 3);
    PrintFields(calls, file);
    StdoutWrite("END\n", 4);
    ChildEndNow(0);
}
