// A long wait on the window thread lets the window paint, and nothing but paint.
#include <doctest/doctest.h>
#include <windows.h>

#include <atomic>

#include "foundation/handles.h"
#include "foundation/paint_meanwhile.h"

namespace {

std::atomic<int> Paints{0};
KernelHandle Painted;

LRESULT CALLBACK PaintCountProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        ++Paints;
        SetEvent(Painted.Get());
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

TEST_CASE("the window paints while the work runs, and its posted messages wait for the work's end") {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PaintCountProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KvPaintMeanwhileTest";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
    REQUIRE(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Painted = KernelHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Paints = 0;
    const UINT posted = WM_APP + 7;
    PostMessageW(window, posted, 0, 0);
    InvalidateRect(window, nullptr, FALSE);
    DWORD caller = GetCurrentThreadId(), worker = 0;
    bool paintedDuringWork = false;
    // The wait only bounds a failure: with the work on the window thread no paint can come.
    RunPaintingMeanwhile([&] {
        worker = GetCurrentThreadId();
        paintedDuringWork = WaitForSingleObject(Painted.Get(), 20000) == WAIT_OBJECT_0;
    });
    CHECK(worker != caller);
    CHECK(paintedDuringWork);
    CHECK(PeekMessageW(&msg, window, posted, posted, PM_REMOVE));
    DestroyWindow(window);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}
