// What the content preview needs of the windows that show it, and where its workers
// (and the plugin tabs' probe) start. The preview's operations take it by reference;
// the model itself lives in content_preview.h.
#pragma once
#include <windows.h>

#include "foundation/worker_threads.h"

class IPreviewView {
public:
    virtual ~IPreviewView() = default;
    virtual HWND ResultWindow() = 0;  // receives the preview worker's answers
    virtual bool PanesShown() = 0;    // the preview tab is shown in content mode
    virtual void Clear() = 0;         // a new file: empty field list, field label, layout
    virtual void FillPluginList() = 0;
    virtual void FillFieldList() = 0;
    virtual void RefreshGroup(int index) = 0;
    virtual void SaveGroupStates() = 0;  // reads the open groups back into the rows
    virtual void ShowIntro() = 0;
    virtual void UpdateStatusBar() = 0;
    // Runs proc on a thread of its own with the job, whose answers go to ResultWindow;
    // 0, or the Windows error when no thread could be made (the job is then still the
    // caller's). A test's view may refuse, as Windows may when it runs short.
    virtual DWORD StartWorker(LPTHREAD_START_ROUTINE proc, void* job) {
        HANDLE thread = StartWorkerThread(proc, job);
        if (!thread) return GetLastError();
        CloseHandle(thread);
        return 0;
    }
};
