// The switches and arguments of a window-mode start.
#pragma once
#include <string>
#include <vector>

struct StartArgs {
    bool debug = false;
    std::wstring iniArg;  // the first argument that is no switch
    std::wstring previewFile, listerFile, installPath;
};

// args[0] is the program; switches are compared without regard to case.
StartArgs ParseStartArgs(const std::vector<std::wstring>& args);
