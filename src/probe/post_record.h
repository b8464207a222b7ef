// How a worker hands a result to the UI thread: a heap record posted with the
// window message, owned by the window from then on.
#pragma once
#include <windows.h>

#include <memory>

// Posts the record; when the post fails (the window is gone) it is freed here.
template <typename Record>
void PostRecord(HWND window, UINT message, std::unique_ptr<Record> record) {
    if (PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(record.get()))) record.release();
}

// The window's side: takes ownership of the record a message carries.
template <typename Record>
std::unique_ptr<Record> TakePostedRecord(LPARAM lParam) {
    return std::unique_ptr<Record>(reinterpret_cast<Record*>(lParam));
}
