#include "probe/child_modes.h"

#include <string>
#include <vector>

#include "foundation/env.h"
#include "foundation/text.h"
#include "probe/fields.h"
#include "probe/probe_child.h"

bool RunChildMode(int& exitCode, UnpackChildEntry unpack) {
    std::vector<std::wstring> args = ProgramArgs();
    if (args.size() >= 4 && StrIEquals(args[1], L"/probe")) {
        exitCode = RunProbe(args[2], args[3]);
        return true;
    }
    if (args.size() >= 5 && StrIEquals(args[1], L"/fields")) {
        exitCode = FieldsChildMain(args[2], args[3], args[4]);
        return true;
    }
    if (unpack && args.size() >= 4 && StrIEquals(args[1], L"/unpack")) {
        exitCode = unpack(args[2], args[3]);
        return true;
    }
    return false;
}
