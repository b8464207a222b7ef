// A wait of seconds on the window thread, with the windows painting meanwhile:
// a window that paints nothing for that long looks hung, and a window moved over
// it leaves its traces.
#pragma once
#include <functional>

// Runs work on a thread of its own and, until it ends, lets the calling thread
// paint its windows and answer messages sent to them. Input, timers and posted
// messages stay queued until the work is done, so no command runs meanwhile;
// the work must only touch what painting leaves alone. Runs the work on the
// calling thread when no thread can be made.
void RunPaintingMeanwhile(const std::function<void()>& work);
