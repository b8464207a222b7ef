// Saving from the main window: the save command, and the wincmd.ini that TC
// itself runs on.
#pragma once
#include <windows.h>

class MainWindow;

// Called once at start-up, after the wincmd.ini in use was chosen.
void ConnectSaving();
// Ctrl+S and File › Save: tells when nothing is pending, else runs the save.
void SaveCommand(MainWindow& app);
