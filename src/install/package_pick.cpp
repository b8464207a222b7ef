#include "install/package_pick.h"

#include <functional>
#include <map>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/logs.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "install/install_temp.h"
#include "install/unpack.h"
#include "probe/child_run.h"

namespace {

const wchar_t* const PluginPattern = L"pluginst.inf;*.wlx;*.wlx64;*.wdx;*.wdx64;*.wcx;*.wcx64;*.wfx;*.wfx64";

// The filter of the open-file dialog: pairs of caption and pattern, each ending in
// a zero, the whole list in one more.
std::wstring FilterList(bool withArchives) {
    std::wstring filter = Tr("in_filter2") + L'\0' + PluginPattern;
    if (withArchives) filter += std::wstring(L";*.zip;*.rar;*.7z") + L'\0' + Tr("dlg_filter_all") + L'\0' + L"*.*";
    return filter + L'\0' + L'\0';
}

void RemoveLeftovers() {
    std::wstring temp = InstallTempFolder();
    std::vector<std::wstring> folders;
    ForEachDirItem(temp, [&](const DirItem& item) {
        if (item.folder) folders.push_back(PathJoin(temp, item.name));
        return true;
    });
    for (const std::wstring& f : folders) InstTempClean(f);
}

std::string FirstLine(const std::string& output) {
    std::string line = output.substr(0, output.find('\n'));
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace

std::wstring PickPackageFile(HWND owner, const std::wstring& title, const std::wstring& startFolder) {
    std::wstring filter = FilterList(startFolder.empty());
    std::vector<wchar_t> file(32768, L'\0');  // the longest path Windows knows
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = (DWORD)file.size();
    ofn.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    const Comdlg32Dll* dialogs = Comdlg32();
    return dialogs && dialogs->GetOpenFileNameW(&ofn) ? std::wstring(file.data()) : L"";
}

std::wstring UnpackFailureText(const ChildRun& run, const std::wstring& archive) {
    std::string line = FirstLine(run.output);
    if (run.started && !run.timedOut && line.rfind("OK ", 0) == 0) return L"";
    std::wstring text;
    // A child that never ran has not looked at the archive: nothing is known of it.
    if (!run.started) text = FillVar(Tr("ar_nostart"), L"w", ChildStartFailureText(run));
    else if (line.rfind("ERR ", 0) == 0) text = ArchiveErrorText(line);
    else text = FillVar(Tr("ar_bad"), L"f", archive);
    return text + L"\r\n\r\n" + Tr("ar_hint");
}

UnpackOutcome UnpackForInstall(const std::wstring& archive) {
    RemoveLeftovers();
    UnpackOutcome out{InstTempSubfolder(), L""};
    ChildRun run;
    RunChildCapture(run, {L"/unpack", archive, out.folder}, L"", 120000, L"");
    std::string line = FirstLine(run.output);
    DebugLog(L"install: unpack " + archive + L" -> " + out.folder + L": '" + Utf8ToWide(line) + L"', exit " +
             std::to_wstring(run.exitCode) + (run.timedOut ? L", TIMEOUT" : L""));
    out.message = UnpackFailureText(run, archive);
    if (out.message.empty()) return out;
    InstTempClean(out.folder);
    out.folder.clear();
    return out;
}

std::wstring InstFindInDir(HWND owner, const std::wstring& folder) {
    std::map<std::wstring, std::wstring> offers;  // lower-cased folder -> its file
    std::function<void(const std::wstring&, int)> walk = [&](const std::wstring& dir, int depth) {
        ForEachDirItem(dir, [&](const DirItem& item) {
            std::wstring full = PathJoin(dir, item.name);
            if (item.folder) {
                if (depth > 0 && !item.link) walk(full, depth - 1);
            } else if (StrIEquals(item.name, L"pluginst.inf")) {
                offers[FoldCase(dir)] = full;
            } else if (PluginKindOfFileName(item.name) >= 0) {
                offers.try_emplace(FoldCase(dir), full);
            }
            return true;
        });
    };
    walk(folder, 3);
    if (offers.empty()) return L"";
    if (offers.size() == 1) return offers.begin()->second;
    std::wstring chosen = PickPackageFile(owner, Tr("ar_pick"), folder);
    std::wstring inside = FoldCase(PathNoTrailingSep(folder)) + L"\\";
    return !chosen.empty() && FoldCase(chosen).rfind(inside, 0) == 0 ? chosen : L"-";
}
