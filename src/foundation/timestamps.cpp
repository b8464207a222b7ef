#include "foundation/timestamps.h"

#include <cstdio>

namespace {

constexpr uint64_t kTicksPerMinute = 600000000ULL;
constexpr double kTicksPerDay = 864000000000.0;

std::wstring Format(const wchar_t* fmt, unsigned a, unsigned b, unsigned c, unsigned d = 0, unsigned e = 0,
                    unsigned f = 0) {
    wchar_t buf[64];
    swprintf(buf, 64, fmt, a, b, c, d, e, f);
    return buf;
}

uint64_t Ticks(const FILETIME& ft) { return ((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime; }

bool ToLocal(const FILETIME& utc, SYSTEMTIME& local) {
    SYSTEMTIME st;
    // The zone rules of that date, not today's bias, so summer and winter times both come out right.
    return FileTimeToSystemTime(&utc, &st) && SystemTimeToTzSpecificLocalTime(nullptr, &st, &local);
}

}  // namespace

std::wstring MinuteStampText(const SYSTEMTIME& t) {
    return Format(L"%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}

std::wstring StrNowStamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return MinuteStampText(t);
}

std::wstring StrFileStamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return Format(L"%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

std::wstring StrFileTime(const FILETIME& ft, bool timeOfDay) {
    SYSTEMTIME t;
    if (!ToLocal(ft, t)) return L"";
    if (timeOfDay) return Format(L"%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
    return Format(L"%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
}

double StrParseDateDays(const std::wstring& stamp) {
    SYSTEMTIME t = {};
    int fields = swscanf(stamp.c_str(), L"%hu-%hu-%hu %hu:%hu", &t.wYear, &t.wMonth, &t.wDay, &t.wHour, &t.wMinute);
    FILETIME ft;
    if (fields < 3 || !SystemTimeToFileTime(&t, &ft)) return -1.0;
    return (double)Ticks(ft) / kTicksPerDay;
}

std::optional<uint64_t> ParseUtcStamp(const std::wstring& text) {
    if (text.size() < 16) return std::nullopt;
    auto field = [&](size_t pos, size_t len) { return (WORD)_wtoi(text.substr(pos, len).c_str()); };
    SYSTEMTIME t = {};
    t.wYear = field(0, 4);
    t.wMonth = field(5, 2);
    t.wDay = field(8, 2);
    t.wHour = field(11, 2);
    t.wMinute = field(14, 2);
    FILETIME ft;
    if (!SystemTimeToFileTime(&t, &ft)) return std::nullopt;
    return Ticks(ft) / kTicksPerMinute;
}

std::wstring StampToLocalText(const std::wstring& fileStamp) {
    std::wstring part = fileStamp.substr(0, fileStamp.find(L'|'));
    if (part.empty() || part.back() != L'Z') return part;
    part.pop_back();
    std::optional<uint64_t> minutes = ParseUtcStamp(part);
    if (!minutes) return part;
    uint64_t ticks = *minutes * kTicksPerMinute;
    FILETIME ft = {(DWORD)ticks, (DWORD)(ticks >> 32)};
    SYSTEMTIME local;
    if (!ToLocal(ft, local)) return part;
    return MinuteStampText(local);
}
