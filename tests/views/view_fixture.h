// A MainView without the shell's window around it: the host notes what the views
// asked of it, and each test gives the view the controls it draws on.
#pragma once
#include <vector>

#include "views/main_view.h"

struct FakeViewHost : IViewHost {
    int searchesAfterFill = 0;
    int backgroundProbes = 0;
    std::vector<int> moves;
    void SearchAfterFill() override { ++searchesAfterFill; }
    void StartBackgroundProbe() override { ++backgroundProbes; }
    void MoveSelectedEntries(int op) override { moves.push_back(op); }
};

struct TestView {
    FakeViewHost host;
    MainView view{host};
};
