#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The main window is not there yet: say plainly what this build can do.
    MessageBoxW(nullptr,
                L"Kestrovane is being built: the main window does not exist yet.\n"
                L"This build only starts and ends.",
                L"Kestrovane", MB_OK | MB_ICONINFORMATION);
    return 0;
}
