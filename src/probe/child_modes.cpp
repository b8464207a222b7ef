#include "probe/child_modes.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "foundation/text.h"
#include "probe/fields.h"
#include "probe/probe_child.h"

namespace {

std::vector<std::wstring> CommandLineArgs() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return {};
    std::vector<std::wstring> args(argv + 1, argv + (count > 0 ? count : 1));
    LocalFree(argv);
    return args;
}

}  // namespace

bool RunChildMode(int& exitCode, UnpackChildEntry unpack) {
    std::vector<std::wstring> args = CommandLineArgs();
    if (args.size() >= 3 && StrIEquals(args[0], L"/probe")) {
        exitCode = RunProbe(args[1], args[2]);
        return true;
    }
    if (args.size() >= 4 && StrIEquals(args[0], L"/fields")) {
        exitCode = FieldsChildMain(args[1], args[2], args[3]);
        return true;
    }
    if (unpack && args.size() >= 3 && StrIEquals(args[0], L"/unpack")) {
        exitCode = unpack(args[1], args[2]);
        return true;
    }
    return false;
}
