#include "foundation/start_times.h"

#include <windows.h>

#include <cstdio>

namespace {

double Moments[StartMomentCount] = {-1, -1, -1, -1, -1, -1};
const wchar_t* const MomentNames[StartMomentCount] = {L"main", L"window", L"controls", L"shown", L"painted", L"filled"};

uint64_t Ticks(const FILETIME& t) { return ((uint64_t)t.dwHighDateTime << 32) | t.dwLowDateTime; }

double MsSinceProcessCreated() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    GetSystemTimePreciseAsFileTime(&now);
    return double(Ticks(now) - Ticks(created)) / 10000.0;
}

}  // namespace

void NoteStartMoment(StartMoment moment) {
    if (Moments[moment] < 0) Moments[moment] = MsSinceProcessCreated();
}

std::wstring StartTimesText() {
    std::wstring text = L"start times in ms since the process was created:";
    for (int i = 0; i < StartMomentCount; ++i) {
        if (Moments[i] < 0) continue;
        wchar_t part[48];
        swprintf(part, 48, L" %ls %.1f", MomentNames[i], Moments[i]);
        text += part;
    }
    return text;
}
