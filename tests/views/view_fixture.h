// A MainView without the shell's window around it: the host notes what the views
// asked of it, and each test gives the view the controls it draws on.
#pragma once
#include <functional>
#include <vector>

#include "views/main_view.h"

struct FakeViewHost : IViewHost {
    int searchesAfterFill = 0;
    int backgroundProbes = 0;
    std::vector<int> moves;
    HWND resultWindow = nullptr;  // receives the preview worker's answers
    std::function<UINT(HMENU)> menu;  // the id chosen of each context menu; 0 without
    void SearchAfterFill() override { ++searchesAfterFill; }
    void StartBackgroundProbe() override { ++backgroundProbes; }
    void MoveSelectedEntries(int op) override { moves.push_back(op); }
    void CreateTabControls(int) override {}
    UINT PopupMenu(HWND, POINT, HMENU m) override { return menu ? menu(m) : 0; }
    // The content preview shows nothing here unless a test's host shows it.
    HWND ResultWindow() override { return resultWindow; }
    bool PanesShown() override { return false; }
    void Clear() override {}
    void FillPluginList() override {}
    void FillFieldList() override {}
    void RefreshGroup(int) override {}
    void SaveGroupStates() override {}
    void ShowIntro() override {}
    void UpdateStatusBar() override {}
};

template <typename Host = FakeViewHost>
struct TestViewOf {
    Host host;
    MainView view{host};
};
using TestView = TestViewOf<>;
