// Where the start of the program spends its time: moments counted from the
// creation of the process, so the loading of the imported DLLs and the runtime's
// start, which run before any code of the program, are seen too.
#pragma once
#include <string>

enum StartMoment : int {
    StartMain,        // wWinMain entered
    StartWindowCall,  // settings, TC and texts read; the main window is about to be created
    StartControls,    // the main window's children exist
    StartShown,       // the window is laid out and shown
    StartPainted,     // the first paint is done
    StartFilled,      // the first tab is filled
    StartMomentCount
};

// Records the moment once; a later call for the same moment changes nothing.
void NoteStartMoment(StartMoment moment);
// "start times in ms since the process was created: main 41.0 window 55.2 ..." for
// the moments recorded so far.
std::wstring StartTimesText();
