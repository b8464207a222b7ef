// Helpers the test programs share.
#pragma once
#include <string>
#include <vector>

// A Windows path inside the build folder (KV_TEST_BINARY), e.g. L"fakes\\tc".
std::wstring BuildPath(const std::wstring& rel);
// A Windows path inside the source tree (KV_TEST_SOURCE).
std::wstring SourcePath(const std::wstring& rel);
// The folder of the real configurations the tests read, tests/data/wincmd.
std::wstring CorpusDir();
// Its .ini files by name; the second files of a configuration ("019-x.Lister.ini")
// only with withCompanions.
std::vector<std::wstring> CorpusIniNames(bool withCompanions);
// A new, empty folder for one test under %TEMP%, unique to this process.
std::wstring FreshTempDir(const std::wstring& name);
void RemoveTree(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
// Little-endian UTF-16 bytes of a text, without a byte-order mark.
std::string Utf16Bytes(const std::wstring& text);

// Sets (or, with null, removes) an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const wchar_t* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::wstring name_, old_;
    bool hadOld_ = false;
};
