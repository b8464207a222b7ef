#include "dsx/syntax_message.h"

#include "foundation/texts.h"

namespace {

std::wstring ExpectedText(const DsxError& error) {
    switch (error.detail) {
    case DsxExpectCondition: return Tr("syn_cond");
    case DsxExpectNumber: return Tr("syn_number");
    case DsxExpectValue: return Tr("syn_value");
    default: return error.text;
    }
}

}  // namespace

std::wstring WithWrittenOperator(std::wstring tmpl, const DsxError& error) {
    if (error.code == DsxErrUnquoted && error.detail == 1) {
        size_t p = tmpl.find(L"EXT=\"{e}\"");
        if (p != std::wstring::npos) tmpl.insert(p + 3, L"!");
    }
    return tmpl;
}

std::wstring DetectSyntaxMessage(const DsxError& error) {
    const char* key = nullptr;
    switch (error.code) {
    case DsxErrQuote: key = "syn_quote"; break;
    case DsxErrChar: key = "syn_char"; break;
    case DsxErrExpect: key = "syn_expect"; break;
    case DsxErrUnquoted: key = "syn_unquoted"; break;
    case DsxErrFindEq: key = "syn_findeq"; break;
    case DsxErrUnknownWord: key = "syn_unknown"; break;
    case DsxErrClose: key = "syn_close"; break;
    default: return L"";
    }
    std::vector<TextVar> vars{{L"p", std::to_wstring(error.position)}};
    switch (error.code) {
    case DsxErrChar: vars.push_back({L"c", error.text}); break;
    case DsxErrExpect: vars.push_back({L"x", ExpectedText(error)}); break;
    case DsxErrUnquoted: vars.push_back({L"e", error.text}); break;
    case DsxErrFindEq: vars.push_back({L"f", error.text}); break;
    case DsxErrUnknownWord: vars.push_back({L"w", error.text}); break;
    default: break;
    }
    return FillVars(WithWrittenOperator(Tr(key), error), vars);
}
