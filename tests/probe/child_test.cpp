// The runner and the two child modes, run for real: the test program starts itself.
#include <windows.h>
#include <tlhelp32.h>

#include <doctest/doctest.h>

#include <algorithm>
#include <cmath>

#include "foundation/encoding.h"
#include "probe/fields.h"
#include "probe_test_support.h"
#include "support/test_support.h"

namespace {

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

ChildRun Probe(const std::wstring& plugin, const std::wstring& letter) {
    return RunSelf(L"/probe " + Quoted(plugin) + L" " + letter);
}

PvPlugin Fields(const std::wstring& plugin, const std::wstring& file, const std::wstring& ini,
                ChildRun* runOut = nullptr) {
    ChildRun run = RunSelf(L"/fields " + Quoted(plugin) + L" " + Quoted(file) + L" " + Quoted(ini));
    PvPlugin row;
    ParseFieldsOutput(row, run);
    if (runOut) *runOut = run;
    return row;
}

const FieldDef* FieldNamed(const PvPlugin& row, const std::wstring& name) {
    auto it = std::find_if(row.fields.begin(), row.fields.end(), [&](const FieldDef& f) { return f.name == name; });
    return it == row.fields.end() ? nullptr : &*it;
}

std::vector<std::wstring> ValueTexts(const FieldDef* field) {
    std::vector<std::wstring> texts;
    if (field)
        for (const FieldValue& v : field->values) texts.push_back(v.text);
    return texts;
}

}  // namespace

TEST_CASE("the runner delivers all output, bounds it and ends children in time") {
    SUBCASE("more than the pipe holds arrives whole and in order") {
        ChildRun run = RunSelf(L"--kv-print-bytes");
        CHECK(run.started == 1);
        CHECK(run.exitCode == 0);
        REQUIRE(run.output.size() == 200000);
        for (int i = 0; i < 200; ++i) CHECK(run.output[i * 1000] == 'a' + i % 26);
    }
    SUBCASE("a child that ends at once keeps its exit code") {
        ChildRun run = RunSelf(L"--kv-quick");
        CHECK(run.exitCode == 5);
        CHECK(run.timedOut == 0);
    }
    SUBCASE("a child past its time is ended with code 1, its output kept") {
        ChildRun run = RunSelf(L"--kv-hang", 300);
        CHECK(run.timedOut == 1);
        CHECK(run.exitCode == 1);
        CHECK(run.output == "waiting\n");
    }
    SUBCASE("a child that prints without end is cut off at the limit") {
        ChildRun run = RunSelf(L"--kv-print-forever", 120000);
        CHECK(run.output.size() == ChildOutputLimit);
        CHECK(run.exitCode == 1);
        CHECK(run.timedOut == 0);
    }
    SUBCASE("a missing program is not started") {
        ChildRun run;
        RunChildCapture(run, L"", L"", 1000, L"Z:\\no\\such\\program.exe");
        CHECK(run.started == 0);
        CHECK(run.output.empty());
    }
}

TEST_CASE("the /probe child ends at once after its answer, in this build's bitness too") {
    ChildRun run = Probe(FakePlugin(L"lister_unload", L"wlx"), L"L");
    CHECK(run.output == "OK\nEXT=\"TXT\" | EXT=\"LOG\"");
    CHECK(run.exitCode == 0);
    run = Probe(FakePlugin(L"crash", L"wlx"), L"L");
    CHECK(run.output == "CRASH\n");
    CHECK(run.exitCode == 3);
    run = Probe(FakePlugin(L"missingdep", L"wlx"), L"L");
    CHECK(run.output == "LOADFAIL 126\n");
    CHECK(run.exitCode == 2);
}

TEST_CASE("the /fields child reports every field type with its values") {
    std::wstring file = L"C:\\some folder\\picture.jpg";
    std::wstring ini = L"C:\\tc\\contplug.ini";

    SUBCASE("all types, units and value codes of a wide plugin") {
        ChildRun run;
        PvPlugin row = Fields(FakePlugin(L"content", L"wdx"), file, ini, &run);
        CHECK(row.state == PvAnsweredOk);
        CHECK(run.timedOut == 0);
        REQUIRE(row.fields.size() == 17);
        CHECK(row.fields[16].index == 16);
        struct Want {
            const wchar_t* name;
            int type;
            std::vector<std::wstring> values;
        };
        const Want wants[] = {
            {L"Int32", 1, {L"-42"}},
            {L"Int64", 2, {L"1234567890123"}},
            {L"Size", 3, {L"1536", L"1,5", L"0"}},
            {L"Ratio", 3, {L"one and a quarter below zero"}},
            {L"Date", 4, {L"2024-02-29"}},
            {L"Time", 5, {L"13:05:09"}},
            {L"Flag", 6, {L"1"}},
            {L"Colour", 7, {L"red", L"green", L"red"}},
            {L"File", 8, {file}},
            {L"Body", 9, {}},
            {L"Wide", 11, {L"Gr\u00fc\u00dfe zwei"}},
            {L"Empty", 8, {L""}},
            {L"Tab Name", 8, {L"line  break"}},
            {L"Later", 8, {L""}},
            {L"Huge", 3, {L"10000000000000000"}},
        };
        for (const Want& w : wants) {
            CAPTURE(StrToUtf8(w.name));
            const FieldDef* field = FieldNamed(row, w.name);
            REQUIRE(field);
            CHECK(field->type == w.type);
            CHECK(ValueTexts(field) == w.values);
        }
        CHECK(FieldNamed(row, L"Size")->units == std::vector<std::wstring>{L"bytes", L"KB", L"MB"});
        CHECK(FieldNamed(row, L"Tab Name")->units == std::vector<std::wstring>{L"a b"});
        CHECK(FieldNamed(row, L"Empty")->values[0].result == -3);
        CHECK(FieldNamed(row, L"Later")->values[0].result == -4);
        const FieldDef* many = FieldNamed(row, L"Many");
        CHECK(many->units.size() == 20);
        REQUIRE(many->values.size() == 16);
        CHECK(many->values[15].text == L"15");
        std::wstring stamp = ValueTexts(FieldNamed(row, L"Stamp")).at(0);
        CHECK(stamp.size() == 19);
        CHECK(stamp.starts_with(L"2021-06-1"));
    }
    SUBCASE("without a file only the fields come") {
        PvPlugin row = Fields(FakePlugin(L"content", L"wdx"), L"", ini);
        CHECK(row.state == PvAnsweredOk);
        CHECK(row.fields.size() == 17);
        for (const FieldDef& f : row.fields) CHECK(f.values.empty());
    }
    SUBCASE("an ANSI plugin with 600 fields is cut at 500") {
        PvPlugin row = Fields(FakePlugin(L"content_many", L"wdx"), file, ini);
        CHECK(row.state == PvAnsweredOk);
        REQUIRE(row.fields.size() == 500);
        CHECK(row.fields.back().index == 499);
        CHECK(ValueTexts(&row.fields[3]) == std::vector<std::wstring>{L"30"});
    }
    SUBCASE("the plugin gets TC's contplug.ini") {
        PvPlugin row = Fields(FakePlugin(L"record", L"wlx"), file, ini);
        CHECK(ValueTexts(FieldNamed(row, L"File")) ==
              std::vector<std::wstring>{L"C size=272 version=2.12 ini=C:\\tc\\contplug.ini"});
    }
    SUBCASE("a plugin that hangs while unloaded still answers completely and at once") {
        ChildRun run;
        PvPlugin row = Fields(FakePlugin(L"content_unload", L"wdx"), file, ini, &run);
        CHECK(row.state == PvAnsweredOk);
        CHECK(run.timedOut == 0);
        CHECK(run.output.ends_with("END\n"));
    }
    SUBCASE("failures end in their states") {
        ChildRun run;
        PvPlugin crashed = Fields(FakePlugin(L"content_crash", L"wdx"), file, ini, &run);
        CHECK(crashed.state == PvCrashed);
        CHECK(crashed.fields.size() == 1);
        CHECK(run.exitCode == 3);
        CHECK(Fields(FakePlugin(L"lister", L"wlx"), file, ini).state == PvNotContent);
        PvPlugin failed = Fields(FakePlugin(L"failattach", L"wlx"), file, ini);
        CHECK(failed.state == PvLoadFailure);
        CHECK(failed.error == L"1114");
    }
}

TEST_CASE("field lines are read leniently but never mistaken") {
    ChildRun run;
    run.output = "OK\nF\t0\t1\tA\t\nV\t0\t0\t1\t7\nV\t9\t0\t1\tlost\nF\t1\t8\tB\tx||y\nJUNK\nEND\n";
    PvPlugin row;
    ParseFieldsOutput(row, run);
    CHECK(row.state == PvAnsweredOk);
    REQUIRE(row.fields.size() == 2);
    CHECK(row.fields[0].units.empty());
    CHECK(ValueTexts(&row.fields[0]) == std::vector<std::wstring>{L"7"});
    CHECK(row.fields[1].units == std::vector<std::wstring>{L"x", L"", L"y"});

    SUBCASE("a complete list stays complete when the child was ended late") {
        run.timedOut = 1;
        ParseFieldsOutput(row, run);
        CHECK(row.state == PvAnsweredOk);
    }
    SUBCASE("without END a time-out is a time-out and anything else a crash") {
        run.output = "OK\nF\t0\t1\tA\t\n";
        run.timedOut = 1;
        ParseFieldsOutput(row, run);
        CHECK(row.state == PvTimeLimit);
        run.timedOut = 0;
        ParseFieldsOutput(row, run);
        CHECK(row.state == PvCrashed);
    }
}

TEST_CASE("floating-point field values") {
    const std::pair<double, const char*> cases[] = {
        {-1.25, "-1,25"}, {1e16, "10000000000000000"}, {0.0000004, "0"},  {2.5, "2,5"},
        {3.0, "3"},       {0.9999996, "1"},            {-0.000125, "-0,000125"},
    };
    for (const auto& [value, text] : cases) CHECK(FieldDoubleText(value) == text);
    CHECK(FieldDoubleText(std::nan("")) == "NaN");
}

TEST_CASE("children still running end with the program that started them") {
    std::wstring folder = FreshTempDir(L"orphans");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    REQUIRE(CopyInto(self, folder, L"kvorphan.exe"));
    ChildRun run = RunSelf(L"--kv-leave-child " + folder + L"\\kvorphan.exe");
    CHECK(run.exitCode == 0);
    auto running = [] {
        int count = 0;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            if (lstrcmpiW(entry.szExeFile, L"kvorphan.exe") == 0) ++count;
        CloseHandle(snapshot);
        return count;
    };
    // The system ends the orphan soon after its parent; allow it a moment.
    for (int i = 0; i < 100 && running() > 0; ++i) Sleep(100);
    CHECK(running() == 0);
}
