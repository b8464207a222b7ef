// The time stamps the program shows and stores.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// "YYYY-MM-DD hh:mm" of the given time, 16 characters.
std::wstring MinuteStampText(const SYSTEMTIME& t);
// Local time now as "YYYY-MM-DD hh:mm": change log, inventory, findings.
std::wstring StrNowStamp();
// Local time now as "YYYYMMDD-hhmmss": backup file names.
std::wstring StrFileStamp();
// The file time in local time: the date (timeOfDay false) or "hh:mm:ss".
std::wstring StrFileTime(const FILETIME& ft, bool timeOfDay);
// Days since 1601-01-01 of a StrNowStamp text, -1.0 when it is no valid date.
double StrParseDateDays(const std::wstring& stamp);
// Minutes since 1601 of "YYYY-MM-DD hh:mm" read as UTC; nothing when no valid date.
std::optional<uint64_t> ParseUtcStamp(const std::wstring& text);
// The display form of a FileStamp text: its UTC minute shown in local time.
std::wstring StampToLocalText(const std::wstring& fileStamp);
