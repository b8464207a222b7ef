// Helpers the test programs share.
#pragma once
#include <functional>
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
// Deletes a folder tree; a link inside it is removed, never followed.
void RemoveTree(const std::wstring& path);
// A link at link to the folder target that Windows programs see as a reparse point:
// a symbolic link where Windows makes one, else (Wine makes none) a link of the host's
// file system, which Wine shows as one. False when neither could be made.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);
// The same for a file; Wine shows such a link as the file it names, no reparse point.
bool MakeFileLink(const std::wstring& link, const std::wstring& target);
// Removes a link made by MakeFolderLink, leaving its target alone.
void RemoveFolderLink(const std::wstring& link);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
// Little-endian UTF-16 bytes of a text, without a byte-order mark.
std::string Utf16Bytes(const std::wstring& text);
// The processes running now that the process of that id started, of them those
// whose program's file name starts with the prefix.
int ChildProcesses(unsigned long parentId, const std::wstring& namePrefix = L"");
// Asks again and again until the condition holds, for at most a minute: a thread
// of the test's own reaching a point of its run; whether it held.
bool EventuallyHolds(const std::function<bool()>& condition);
// The text on the clipboard; "" when it holds none.
std::wstring ClipboardText();

// Holds the change log open as another program may, sharing no writing: every
// append to it fails for the scope.
class ChangeLogHeld {
public:
    ChangeLogHeld();
    ~ChangeLogHeld();
    ChangeLogHeld(const ChangeLogHeld&) = delete;
    ChangeLogHeld& operator=(const ChangeLogHeld&) = delete;
    bool Holds() const;
    // The line a message then adds.
    static std::wstring Note();

private:
    void* handle_;
};

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
