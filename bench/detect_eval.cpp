// Benchmark, run by hand: 300 Lister detect strings against the facts of 1,000 files,
// compared with the time it takes to read those files' heads.
//   bench_detect_eval [files folder]   (the corpus is found through KV_TEST_SOURCE)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "dsx/corpus.h"
#include "dsx/eval.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Every file seen with F3 and with key 4, as the Lister check sees it.
template <typename Items, typename Matches>
size_t CountMatches(std::vector<FileFacts>& facts, const Items& items, Matches matches) {
    size_t n = 0;
    for (FileFacts& f : facts)
        for (uint8_t force : {0, 1}) {
            f.force = force;
            for (const auto& item : items) n += matches(item, f);
        }
    return n;
}

// The corpus strings, then the same shapes over other extensions, up to 300.
std::vector<std::wstring> DetectStrings() {
    std::vector<std::wstring> base;
    for (const CorpusDetect& d : CorpusDetectStrings())
        if (!d.text.empty()) base.push_back(d.text);
    std::vector<std::wstring> out;
    for (size_t i = 0; out.size() < 300 && !base.empty(); ++i) {
        std::wstring s = base[i % base.size()];
        if (i >= base.size())
            for (size_t p = s.find(L"=\""); p != std::wstring::npos; p = s.find(L"=\"", p + 2))
                if (p + 2 < s.size() && s[p + 2] != L'"') s[p + 2] = (wchar_t)(L'A' + i % 26);
        out.push_back(s);
    }
    return out;
}

std::vector<std::wstring> MakeFiles(const std::wstring& dir) {
    static const wchar_t* exts[] = {L"txt", L"mp3", L"jpg", L"pdf", L"doc", L"exe", L"dll", L"zip", L"png", L"swf"};
    std::mt19937 rng(7);
    CreateDirectoryW(dir.c_str(), nullptr);
    std::vector<std::wstring> paths;
    std::string body(20000, 'x');
    for (int i = 0; i < 1000; ++i) {
        for (char& c : body) c = (char)(rng() & 0xFF);
        std::wstring path = dir + L"\\f" + std::to_wstring(i) + L"." + exts[i % 10];
        FILE* f = _wfopen(path.c_str(), L"wb");
        if (!f) continue;
        fwrite(body.data(), 1, 1000 + rng() % body.size(), f);
        fclose(f);
        paths.push_back(path);
    }
    return paths;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = argc > 1 ? argv[1] : std::wstring(temp) + L"kv_bench_dsx";
    std::vector<std::wstring> detects = DetectStrings();
    std::vector<std::wstring> paths = MakeFiles(dir);
    if (detects.size() < 300 || paths.size() < 1000) {
        std::fwprintf(stderr, L"need 300 detect strings and 1000 files, have %zu and %zu\n", detects.size(),
                      paths.size());
        return 1;
    }

    auto t0 = Clock::now();
    std::vector<FileFacts> facts;
    for (const std::wstring& p : paths) facts.push_back(DetFileFacts(p));
    double readMs = MsSince(t0);

    t0 = Clock::now();
    size_t matches = CountMatches(facts, detects, DetectMatches);
    double evalMs = MsSince(t0);
    double evals = 2.0 * facts.size() * detects.size();

    t0 = Clock::now();
    std::vector<DsxTree> trees;
    for (const std::wstring& d : detects) trees.push_back(dsx::Parse(d));
    double parseMs = MsSince(t0);
    t0 = Clock::now();
    size_t again = CountMatches(facts, trees, [](const DsxTree& t, const FileFacts& f) {
        return t.root < 0 || DsxEval(t, t.root, f);
    });
    double evalOnlyMs = MsSince(t0);

    std::wprintf(L"detect strings: %zu, files: %zu, evaluations (F3 and key 4): %.0f, matches: %zu\n",
                 detects.size(), facts.size(), evals, matches);
    std::wprintf(L"reading 1000 file heads: %.1f ms (%.3f ms per file)\n", readMs, readMs / facts.size());
    std::wprintf(L"parse + evaluate: %.1f ms, %.0f evaluations/s, %.3f ms per file for all strings twice\n", evalMs,
                 evals / (evalMs / 1000.0), evalMs / facts.size());
    std::wprintf(L"parsing the 300 strings once: %.2f ms; evaluating parsed trees: %.1f ms, %.0f evaluations/s%ls\n",
                 parseMs, evalOnlyMs, evals / (evalOnlyMs / 1000.0), again == matches ? L"" : L" (MISMATCH)");
    for (const std::wstring& p : paths) DeleteFileW(p.c_str());
    RemoveDirectoryW(dir.c_str());
    return 0;
}
