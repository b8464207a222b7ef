// The window as an install sees it in the tests: besides the editing host's
// records, every status text it was given, in order.
#pragma once
#include <string>
#include <vector>

#include "../editing/fake_editing_host.h"
#include "install/install_host.h"

struct FakeInstallHost : FakeHost<IInstallHost> {
    std::vector<std::wstring> statuses;
    std::vector<std::wstring> popups;  // the title of every text window
    void ShowInstallStatus(const std::wstring& text) override { statuses.push_back(text); }
    void ShowTextPopup(const std::wstring& title, const std::wstring&) override { popups.push_back(title); }
    bool modelHeld = false;  // a menu or a save holds the model
    int modelHeldAsked = 0;
    bool ModelHeld() override {
        ++modelHeldAsked;
        return modelHeld;
    }
};
