#include "foundation/paint_meanwhile.h"

#include <windows.h>

#include "foundation/handles.h"

namespace {

DWORD WINAPI WorkProc(LPVOID param) {
    (*static_cast<const std::function<void()>*>(param))();
    return 0;
}

// A window that stays invalid after its WM_PAINT would come back at once; the
// next round waits for new paint messages instead.
constexpr int PaintsPerRound = 64;

void DispatchPaints() {
    MSG msg;
    for (int i = 0; i < PaintsPerRound && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++i)
        DispatchMessageW(&msg);
}

}  // namespace

void RunPaintingMeanwhile(const std::function<void()>& work) {
    KernelHandle thread(CreateThread(nullptr, 0, WorkProc, const_cast<std::function<void()>*>(&work), 0, nullptr));
    if (!thread) {
        work();
        return;
    }
    HANDLE handle = thread.Get();
    DispatchPaints();
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
        DispatchPaints();
}
