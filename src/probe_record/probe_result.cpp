#include "probe_record/probe_result.h"

#include "foundation/ini_value_check.h"

std::map<std::wstring, ProbeResult> ProbeCache;

const wchar_t* ProbeStatusWord(int status) {
    static const wchar_t* const words[] = {L"pending", L"ok", L"noexport", L"32bit", L"error", L"missing"};
    return status >= 0 && status <= 5 ? words[status] : L"?";
}

bool ProbeAnswerUsable(int status, const std::wstring& answer) {
    return status == ProbeOk && !IniValueProblem(answer);
}
