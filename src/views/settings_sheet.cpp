#include "views/settings_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>

#include "foundation/dialog_template.h"
#include "foundation/handles.h"
#include "foundation/labels.h"
#include "foundation/list_view.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"

namespace {

constexpr int kAllList = 900, kAllDetail = 901, kAllReset = 902, kAllEditor = 903;
constexpr int kPageCount = 5, kAllPage = 4;
constexpr int kLabelWidth = 106, kEditorIndent = 110;

// What each page is given at creation: its index and whom to tell when settings apply.
struct SheetPage {
    int index;
    const std::function<void()>* applied;
};

std::vector<uint32_t> SettingsPageTemplate;
int AllSettingsRow = -1;
bool SettingsFilling = false;

std::wstring RowKey(const SettingDef& def) { return std::wstring(def.section) + L"/" + def.key; }

RECT DlgRect(HWND page, int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    MapDialogRect(page, &r);
    return r;
}

HWND AddControl(HWND page, const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h,
                int id, DWORD exStyle = 0) {
    return UiAddDlgControl(page, cls, text, WS_CHILD | WS_VISIBLE | style, DlgRect(page, x, y, w, h), id, exStyle);
}

const SheetPage& PageData(HWND page) { return *reinterpret_cast<const SheetPage*>(GetWindowLongPtrW(page, GWLP_USERDATA)); }
int PageOf(HWND page) { return PageData(page).index; }

// The help text's id, the label's and the others follow the editor's.
int EditorBase(size_t row) { return 1000 + 10 * static_cast<int>(row); }

int CreateSettingEditor(HWND page, size_t row, int base, int x, int y, int width, bool withLabel) {
    const SettingDef& def = SettingsTable[row];
    if (def.type == SettingBool) {
        std::wstring text = withLabel ? Tr(def.labelKey) : Tr("set_on");
        AddControl(page, L"BUTTON", text, BS_AUTOCHECKBOX | WS_TABSTOP, x, y, width, 10, base);
        return 12;
    }
    int height = 14;
    if (withLabel) {
        std::wstring text = Tr(def.labelKey);
        HWND label = AddControl(page, L"STATIC", text, SS_NOPREFIX, x, y + 2, kLabelWidth, 10, base + 1);
        if (UiTextWidth(label, text) > DlgRect(page, 0, 0, kLabelWidth, 0).right) {
            RECT twoLines = DlgRect(page, x, y + 2, kLabelWidth, 20);
            MoveWindow(label, twoLines.left, twoLines.top, twoLines.right - twoLines.left,
                       twoLines.bottom - twoLines.top, FALSE);
            height = 23;
        }
        x += kEditorIndent;
        width -= kEditorIndent;
    }
    switch (def.type) {
    case SettingInt: {
        AddControl(page, L"EDIT", L"", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, x, y, 40, 12, base,
                   WS_EX_CLIENTEDGE);
        HWND spin = AddControl(page, UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, x + 40, y,
                               10, 12, base + 4);
        SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, base)), 0);
        SendMessageW(spin, UDM_SETRANGE32, def.minimum, def.maximum);
        break;
    }
    case SettingChoice: {
        HWND combo = AddControl(page, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, x, y, width, 100,
                                base);
        for (const auto& choice : SettingChoices(def))
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.second.c_str()));
        break;
    }
    default:
        AddControl(page, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, x, y, width, 12, base, WS_EX_CLIENTEDGE);
        break;
    }
    return height;
}

std::wstring ReadSettingEditor(HWND page, size_t row, int id) {
    HWND editor = GetDlgItem(page, id);
    if (!editor) return L"";
    const SettingDef& def = SettingsTable[row];
    if (def.type == SettingBool) return SendMessageW(editor, BM_GETCHECK, 0, 0) == BST_CHECKED ? L"1" : L"0";
    if (def.type == SettingChoice) {
        auto choices = SettingChoices(def);
        auto index = static_cast<size_t>(SendMessageW(editor, CB_GETCURSEL, 0, 0));
        return index < choices.size() ? choices[index].first : def.defaultValue;
    }
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(editor)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(editor, text.data(), static_cast<int>(text.size()))));
    return text;
}

void WriteSettingEditor(HWND page, size_t row, int id, const std::wstring& value) {
    HWND editor = GetDlgItem(page, id);
    if (!editor) return;
    const SettingDef& def = SettingsTable[row];
    if (def.type == SettingBool) {
        SendMessageW(editor, BM_SETCHECK, value == L"1" ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (def.type == SettingChoice) {
        auto choices = SettingChoices(def);
        size_t index = 0;
        for (size_t i = 0; i < choices.size(); ++i)
            if (choices[i].first == value) index = i;
        SendMessageW(editor, CB_SETCURSEL, index, 0);
    } else {
        SetWindowTextW(editor, value.c_str());
    }
}

void MarkChanged(HWND page) { SendMessageW(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0); }

void ApplyPending(const std::function<void()>& applied) {
    for (const auto& [key, value] : PendingSettings)
        for (const SettingDef& def : SettingsTable)
            if (RowKey(def) == key) SettingsValues[key] = NormalizeSettingValue(def, value);
    if (applied) applied();
}

// An edit control reports the text put into it as a change; showing a value is no edit
// and must neither become pending nor enable Apply.
void ShowPageValue(HWND page, size_t row) {
    SettingsFilling = true;
    WriteSettingEditor(page, row, EditorBase(row), SettingValueAt(row));
    SettingsFilling = false;
}

// A help text takes as many lines as it needs and the next setting follows it, so that a
// longer language does not push the last help text past the page's edge.
int FitHelpHeight(HWND page, HWND help, const std::wstring& text) {
    RECT r{};
    GetWindowRect(help, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    RECT need{0, 0, r.right - r.left, 0};
    {
        WindowDc dc(help);
        SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(help, WM_GETFONT, 0, 0)));
        DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    int lineHeight = DlgRect(page, 0, 0, 0, 9).bottom;
    int lines = std::max(1, static_cast<int>((need.bottom + lineHeight - 1) / lineHeight));
    MoveWindow(help, r.left, r.top, r.right - r.left, DlgRect(page, 0, 0, 0, 9 * lines).bottom, FALSE);
    return 9 * lines;
}

void InitGroupPage(HWND page) {
    int y = 8;
    for (size_t r = 0; r < SettingsTable.size(); ++r) {
        const SettingDef& def = SettingsTable[r];
        if (static_cast<int>(def.page) != PageOf(page)) continue;
        int base = EditorBase(r);
        SettingsFilling = true;  // an up-down may put its number into the new edit
        int height = CreateSettingEditor(page, r, base, 8, y, 314, true);
        SettingsFilling = false;
        ShowPageValue(page, r);
        int helpX = def.type == SettingBool ? 20 : 8;
        std::wstring helpText = Tr(def.helpKey);
        HWND help = AddControl(page, L"STATIC", helpText, SS_NOPREFIX, helpX, y + height, 322 - helpX, 9, base + 2);
        int helpHeight = FitHelpHeight(page, help, helpText);
        y += height + helpHeight + 8;
    }
}

void RefreshGroupPage(HWND page) {
    for (size_t r = 0; r < SettingsTable.size(); ++r)
        if (static_cast<int>(SettingsTable[r].page) == PageOf(page)) ShowPageValue(page, r);
}

INT_PTR GroupPageCommand(HWND page, WPARAM wParam) {
    int id = LOWORD(wParam), code = HIWORD(wParam);
    if (SettingsFilling || id < 1000 || id >= 1000 + 10 * static_cast<int>(SettingsTable.size())) return FALSE;
    size_t row = static_cast<size_t>((id - 1000) / 10);
    if (id != EditorBase(row) || (code != EN_CHANGE && code != BN_CLICKED && code != CBN_SELCHANGE)) return FALSE;
    PendingSettings[RowKey(SettingsTable[row])] = ReadSettingEditor(page, row, id);
    MarkChanged(page);
    return TRUE;
}

void FillSettingsList(HWND page) {
    HWND list = GetDlgItem(page, kAllList);
    SettingsFilling = true;
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t r = 0; r < SettingsTable.size(); ++r) {
        int row = static_cast<int>(r);
        ListViewSetCell(list, row, 0, Tr(SettingsTable[r].labelKey));
        ListViewSetCell(list, row, 1, SettingValueText(r, SettingValueAt(r)));
        ListViewSetCell(list, row, 2, SettingValueText(r, SettingsTable[r].defaultValue));
    }
    SettingsFilling = false;
    ListView_SetItemState(list, AllSettingsRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void ShowSettingDetail(HWND page, int row) {
    for (int id = kAllEditor; id <= 907; ++id)
        if (HWND old = GetDlgItem(page, id)) DestroyWindow(old);
    AllSettingsRow = row;
    if (row < 0 || row >= static_cast<int>(SettingsTable.size())) {
        SetDlgItemTextW(page, kAllDetail, L"");
        return;
    }
    const SettingDef& def = SettingsTable[static_cast<size_t>(row)];
    std::wstring detail = Tr(def.helpKey) + L"\r\n" + Tr("all_key") + L": " + RowKey(def);
    SetDlgItemTextW(page, kAllDetail, detail.c_str());
    SettingsFilling = true;
    CreateSettingEditor(page, static_cast<size_t>(row), kAllEditor, 6, 168, 250, false);
    WriteSettingEditor(page, static_cast<size_t>(row), kAllEditor, SettingValueAt(static_cast<size_t>(row)));
    SettingsFilling = false;
}

void InitAllPage(HWND page) {
    HWND list = AddControl(page, WC_LISTVIEWW, L"",
                           LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP,
                           6, 6, 318, 124, kAllList);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ThemeSetWindowTheme(list, L"Explorer", nullptr);
    int w = DlgRect(page, 0, 0, 318, 0).right - GetSystemMetrics(SM_CXVSCROLL) - 4;
    ListViewAddColumn(list, 0, Tr("all_setting"), w * 46 / 100, LVCFMT_LEFT);
    ListViewAddColumn(list, 1, Tr("all_value"), w * 29 / 100, LVCFMT_LEFT);
    ListViewAddColumn(list, 2, Tr("all_default"), w * 25 / 100, LVCFMT_LEFT);
    AddControl(page, L"STATIC", L"", SS_NOPREFIX, 6, 136, 318, 26, kAllDetail);
    AddControl(page, L"BUTTON", Tr("all_reset"), BS_PUSHBUTTON | WS_TABSTOP, 264, 186, 60, 14, kAllReset);
    FitDialogLayout(page);
    if (AllSettingsRow < 0) AllSettingsRow = 0;
    FillSettingsList(page);
    ShowSettingDetail(page, AllSettingsRow);
}

INT_PTR AllPageCommand(HWND page, WPARAM wParam) {
    if (SettingsFilling || AllSettingsRow < 0) return FALSE;
    auto row = static_cast<size_t>(AllSettingsRow);
    int id = LOWORD(wParam), code = HIWORD(wParam);
    std::wstring key = RowKey(SettingsTable[row]);
    if (id == kAllReset) {
        PendingSettings[key] = SettingsTable[row].defaultValue;
        ShowSettingDetail(page, AllSettingsRow);
    } else if (id == kAllEditor && (code == EN_CHANGE || code == BN_CLICKED || code == CBN_SELCHANGE)) {
        PendingSettings[key] = ReadSettingEditor(page, row, kAllEditor);
    } else {
        return FALSE;
    }
    ListViewSetCell(GetDlgItem(page, kAllList), AllSettingsRow, 1, SettingValueText(row, SettingValueAt(row)));
    MarkChanged(page);
    return TRUE;
}

INT_PTR AllPageNotify(HWND page, NMHDR* header) {
    if (header->idFrom != kAllList || header->code != LVN_ITEMCHANGED || SettingsFilling) return FALSE;
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
        ShowSettingDetail(page, change->iItem);
    return TRUE;
}

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        LPARAM data = reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam;
        SetWindowLongPtrW(page, GWLP_USERDATA, data);
        if (PageOf(page) == kAllPage) InitAllPage(page);
        else InitGroupPage(page);
        return TRUE;
    }
    case WM_COMMAND:
        return PageOf(page) == kAllPage ? AllPageCommand(page, wParam) : GroupPageCommand(page, wParam);
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == PSN_SETACTIVE) {
            if (PageOf(page) == kAllPage) {
                FillSettingsList(page);
                ShowSettingDetail(page, AllSettingsRow);
            } else {
                RefreshGroupPage(page);
            }
            SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (header->code == PSN_APPLY) {
            ApplyPending(*PageData(page).applied);
            SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return PageOf(page) == kAllPage ? AllPageNotify(page, header) : FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> SettingChoices(const SettingDef& row) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    if (std::wstring(row.key) == L"Language") {
        out = {{L"auto", Tr("set_language_auto")},
               {L"eng", LanguageDisplayName(L"eng")},
               {L"deu", LanguageDisplayName(L"deu")}};
        for (const auto& [code, path] : ScanLanguageFiles())
            if (code != L"eng" && code != L"deu") out.push_back({code, LanguageDisplayName(code)});
        return out;
    }
    bool startTab = std::wstring(row.key) == L"StartTab";
    static const wchar_t* const kTabs[] = {L"lister", L"content", L"packer", L"filesystem", L"inventory", L"findings"};
    std::wstring choices = row.choices;
    size_t start = 0;
    while (start <= choices.size() && !choices.empty()) {
        size_t bar = choices.find(L'|', start);
        std::wstring value = choices.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
        std::wstring shown;
        if (startTab) {
            int tab = 6;
            for (int t = 0; t < 6; ++t)
                if (value == kTabs[t]) tab = t;
            shown = value == L"last" ? Tr("set_starttab_last") : TabName(tab);
        } else {
            std::string key = std::string(row.labelKey) + "_" + std::string(value.begin(), value.end());
            shown = Tr(key.c_str());
            if (shown == std::wstring(key.begin(), key.end())) shown = value;
        }
        out.push_back({value, shown});
        if (bar == std::wstring::npos) break;
        start = bar + 1;
    }
    return out;
}

std::wstring SettingValueText(size_t row, const std::wstring& value) {
    const SettingDef& def = SettingsTable[row];
    if (def.type == SettingBool) return Tr(value == L"1" ? "set_on" : "set_off");
    if (def.type == SettingChoice)
        for (const auto& choice : SettingChoices(def))
            if (choice.first == value) return choice.second;
    return value;
}

void ShowSettingsSheet(HWND owner, const std::function<void()>& applied) {
    PendingSettings.clear();
    AllSettingsRow = -1;
    SettingsPageTemplate = BuildDlgTemplate(330, 200, 0);
    auto* tmpl = reinterpret_cast<DLGTEMPLATE*>(SettingsPageTemplate.data());
    tmpl->style = WS_CHILD | WS_CLIPCHILDREN | DS_SETFONT | DS_FIXEDSYS;
    tmpl->dwExtendedStyle = WS_EX_CONTROLPARENT;
    static const char* const kTitles[kPageCount] = {"pg_general", "pg_view", "pg_probe", "pg_diag", "pg_all"};
    std::wstring titles[kPageCount];
    PROPSHEETPAGEW pages[kPageCount] = {};
    SheetPage pageData[kPageCount];
    for (int i = 0; i < kPageCount; ++i) {
        pageData[i] = {i, &applied};
        titles[i] = Tr(kTitles[i]);
        pages[i].dwSize = sizeof(PROPSHEETPAGEW);
        pages[i].dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        pages[i].hInstance = AppInstance;
        pages[i].pResource = tmpl;
        pages[i].pfnDlgProc = SettingsPageProc;
        pages[i].pszTitle = titles[i].c_str();
        pages[i].lParam = reinterpret_cast<LPARAM>(&pageData[i]);
    }
    std::wstring caption = Tr("set_title");
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = AppInstance;
    header.pszCaption = caption.c_str();
    header.nPages = kPageCount;
    header.ppsp = pages;
    PropertySheetW(&header);
    if (applied) applied();
}
