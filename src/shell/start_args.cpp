#include "shell/start_args.h"

#include "foundation/text.h"

StartArgs ParseStartArgs(const std::vector<std::wstring>& args) {
    StartArgs out;
    bool haveIni = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        bool hasNext = i + 1 < args.size();
        if (StrIEquals(a, L"/debug")) {
            out.debug = true;
        } else if (hasNext && StrIEquals(a, L"/preview")) {
            out.previewFile = args[++i];
        } else if (hasNext && StrIEquals(a, L"/lister")) {
            out.listerFile = args[++i];
        } else if (hasNext && StrIEquals(a, L"/install")) {
            out.installPath = args[++i];
        } else if (!haveIni) {
            out.iniArg = a;
            haveIni = true;
        }
    }
    return out;
}
