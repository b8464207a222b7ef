// The 7z reader of the /unpack child, through TC's 7-Zip library and the
// callback objects the library calls back into.
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "install/sz7_interfaces.h"
#include "install/unpack_child.h"

namespace sz {

// The archive file as 7-Zip reads it; lives for the run, so it counts no references.
class InFile final : public sz7::IInStr {
public:
    explicit InFile(HANDLE file) : file_(file) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == sz7::IID_ISeqIn || iid == sz7::IID_IInStr) {
            *out = static_cast<sz7::IInStr*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(void* data, UINT32 size, UINT32* processed) override {
        DWORD read = 0;
        BOOL ok = ReadFile(file_, data, size, &read, nullptr);
        if (processed) *processed = read;
        return ok ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Seek(INT64 offset, UINT32 origin, UINT64* newPosition) override {
        LARGE_INTEGER to, now;
        to.QuadPart = offset;
        if (!SetFilePointerEx(file_, to, &now, origin)) return E_FAIL;
        if (newPosition) *newPosition = static_cast<UINT64>(now.QuadPart);
        return S_OK;
    }

private:
    HANDLE file_;
};

// One output file; 7-Zip holds it as long as it likes, so it counts for real.
class OutFile final : public sz7::ISeqOut {
public:
    OutFile(HANDLE file, UINT64* total, bool* tooBig) : file_(file), total_(total), tooBig_(tooBig) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == sz7::IID_ISeqOut) {
            *out = static_cast<sz7::ISeqOut*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, UINT32 size, UINT32* processed) override {
        if (processed) *processed = 0;
        // Declared sizes can lie: what is really written counts against the limit.
        *total_ += size;
        if (*total_ > kUnpackMaxTotal) {
            *tooBig_ = true;
            return E_FAIL;
        }
        DWORD written = 0;
        if (!WriteFile(file_.Get(), data, size, &written, nullptr) || written != size) return E_FAIL;
        if (processed) *processed = size;
        return S_OK;
    }

private:
    FileHandle file_;
    UINT64* total_;
    bool* tooBig_;
    LONG refs_ = 1;
};

// The program never supplies a password; being asked for one marks the archive encrypted.
HRESULT RefusePassword(bool& asked, BSTR* password) {
    asked = true;
    if (password) *password = nullptr;
    return E_ABORT;
}

// The callbacks that also answer for a password: primary interface or the password sub-object.
template <typename Primary>
HRESULT QueryWithPassword(Primary* primary, sz7::IPassword* password, REFIID iid, std::initializer_list<GUID> ids,
                          void** out) {
    *out = nullptr;
    for (const GUID& id : ids)
        if (iid == id) *out = primary;
    if (iid == IID_IUnknown) *out = primary;
    if (iid == sz7::IID_IPassword) *out = password;
    return *out ? S_OK : E_NOINTERFACE;
}

class OpenCb final : public sz7::IOpenCb, public sz7::IPassword {
public:
    bool passwordAsked = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return QueryWithPassword<sz7::IOpenCb>(this, this, iid, {sz7::IID_IOpenCb}, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetTotal(const UINT64*, const UINT64*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetCompleted(const UINT64*, const UINT64*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) override {
        return RefusePassword(passwordAsked, password);
    }
};

class ExtractCb final : public sz7::IExtractCb, public sz7::IPassword {
public:
    std::vector<std::wstring> targets;  // per item; empty: not extracted
    UINT64 written = 0;
    bool tooBig = false, openFailed = false, passwordAsked = false;
    INT32 result = sz7::ResultOk;  // the first failure reported
    UINT32 failedItem = 0, currentItem = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return QueryWithPassword<sz7::IExtractCb>(this, this, iid, {sz7::IID_IExtractCb, sz7::IID_IProg}, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetTotal(UINT64) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetCompleted(const UINT64*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PrepareOperation(INT32) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetStream(UINT32 item, sz7::ISeqOut** stream, INT32 askMode) override {
        constexpr INT32 kExtract = 0;
        *stream = nullptr;
        currentItem = item;
        if (askMode != kExtract || item >= targets.size() || targets[item].empty()) return S_OK;
        HANDLE file = CreateFileW(targets[item].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            openFailed = true;
            failedItem = item;
            return E_FAIL;
        }
        *stream = new OutFile(file, &written, &tooBig);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOperationResult(INT32 r) override {
        if (r != sz7::ResultOk && result == sz7::ResultOk) {
            result = r;
            failedItem = currentItem;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) override {
        return RefusePassword(passwordAsked, password);
    }
};

}  // namespace sz

namespace {

using CreateObjectFn = HRESULT(WINAPI*)(const GUID* clsid, const GUID* iid, void** out);

// Clears the value on every way out, so a returned text is freed.
struct ScopedProp {
    PROPVARIANT v;
    ScopedProp() { PropVariantInit(&v); }
    ~ScopedProp() {
        if (const Ole32Dll* ole = Ole32()) ole->PropVariantClear(&v);
    }
};

std::wstring SzPropString(sz7::IInArchive* arc, UINT32 item) {
    ScopedProp p;
    if (arc->GetProperty(item, sz7::PropPath, &p.v) != S_OK || p.v.vt != VT_BSTR || !p.v.bstrVal) return L"";
    const Oleaut32Dll* oleaut = Oleaut32();
    return oleaut ? std::wstring(p.v.bstrVal, oleaut->SysStringLen(p.v.bstrVal)) : L"";
}

bool SzPropBool(sz7::IInArchive* arc, UINT32 item, PROPID id) {
    ScopedProp p;
    return arc->GetProperty(item, id, &p.v) == S_OK && p.v.vt == VT_BOOL && p.v.boolVal != 0;
}

UINT64 SzPropUInt(sz7::IInArchive* arc, UINT32 item, PROPID id) {
    ScopedProp p;
    if (arc->GetProperty(item, id, &p.v) != S_OK) return 0;
    if (p.v.vt == VT_UI8) return p.v.uhVal.QuadPart;
    if (p.v.vt == VT_UI4) return p.v.ulVal;
    return 0;
}

std::wstring SzItemName(UINT32 count, sz7::IInArchive* arc, const std::wstring& fallback, UINT32 item) {
    return item < count ? SafeRelPath(SzPropString(arc, item)) : fallback;
}

bool SzIsLink(UINT64 attributes) {
    constexpr UINT64 kReparsePoint = 0x400, kUnixMode = 0x8000, kUnixTypeMask = 0xF0000000, kUnixLink = 0xA0000000;
    return (attributes & kReparsePoint) || (attributes & (kUnixTypeMask | kUnixMode)) == (kUnixLink | kUnixMode);
}

struct SzRun {
    const std::wstring& archive;
    const std::wstring& target;
    sz7::IInArchive* arc;
    UINT32 count = 0;
    UINT32 files = 0;
    UINT64 total = 0;
};

// Checks one item and gives it its output path; folders are made at once.
int PrepareItem(SzRun& run, sz::ExtractCb& cb, UINT32 item) {
    std::wstring name = SzPropString(run.arc, item);
    bool isFolder = SzPropBool(run.arc, item, sz7::PropIsFolder);
    std::wstring rel = SafeRelPath(name);
    if (rel.empty()) return UnpackFail(ExitRefused, "unsafe", name.empty() ? L"?" : name);
    if (SzPropBool(run.arc, item, sz7::PropEncrypted)) return UnpackFail(ExitRefused, "crypt", rel);
    if (SzIsLink(SzPropUInt(run.arc, item, sz7::PropAttributes))) return UnpackFail(ExitRefused, "link", rel);
    std::wstring full = PathJoin(run.target, rel);
    if (isFolder) return UnpackMakeFolder(full, rel);
    if (int code = UnpackAddSize(run.total, SzPropUInt(run.arc, item, sz7::PropSize), run.archive); code != ExitOk)
        return code;
    if (int code = UnpackMakeFolder(PathDir(full), rel); code != ExitOk) return code;
    cb.targets[item] = full;
    ++run.files;
    return ExitOk;
}

int JudgeExtraction(const SzRun& run, const sz::ExtractCb& cb, HRESULT hr) {
    std::wstring item = SzItemName(run.count, run.arc, run.archive, cb.failedItem);
    if (cb.tooBig) return UnpackFail(ExitRefused, "big", run.archive);
    if (cb.openFailed) return UnpackFail(ExitWrite, "write", item);
    if (cb.passwordAsked || cb.result == sz7::ResultWrongPassword) return UnpackFail(ExitRefused, "crypt", item);
    if (cb.result == sz7::ResultUnsupportedMethod) return UnpackFail(ExitRefused, "method", L"7z", item);
    if (cb.result == sz7::ResultCrcError) return UnpackFail(ExitDamaged, "crc", item);
    if (hr != S_OK || cb.result != sz7::ResultOk) return UnpackFail(ExitDamaged, "bad", item);
    return UnpackOk(run.files);
}

int UnpackItems(SzRun& run, sz::InFile& in) {
    const UINT64 maxStartOffset = 1 << 20;
    sz::OpenCb openCb;
    if (run.arc->Open(&in, &maxStartOffset, &openCb) != S_OK)
        return UnpackFail(ExitDamaged, openCb.passwordAsked ? "crypt" : "bad", run.archive);
    if (run.arc->GetNumberOfItems(&run.count) != S_OK) return UnpackFail(ExitDamaged, "bad", run.archive);
    if (run.count > kUnpackMaxEntries) return UnpackFail(ExitRefused, "big", run.archive);
    sz::ExtractCb cb;
    cb.targets.resize(run.count);
    for (UINT32 item = 0; item < run.count; ++item)
        if (int code = PrepareItem(run, cb, item); code != ExitOk) return code;
    HRESULT hr = run.arc->Extract(nullptr, 0xFFFFFFFF, 0, &cb);
    return JudgeExtraction(run, cb, hr);
}

}  // namespace

int Unpack7z(const std::wstring& archive, const std::wstring& target) {
    CreateObjectFn createObject = nullptr;
    auto bind = [&](HMODULE dll) { return (createObject = TcDllExport<CreateObjectFn>(dll, "CreateObject")) != nullptr; };
    if (int code = UnpackLoadLibrary(L"TC7Z64.DLL", bind); code != ExitOk) return code;
    sz7::IInArchive* arc = nullptr;
    HRESULT hr = createObject(&sz7::CLSID_Format7z, &sz7::IID_IInArchive, reinterpret_cast<void**>(&arc));
    if (hr != S_OK || !arc) {
        wchar_t code[16];
        swprintf(code, 16, L"0x%08X", static_cast<unsigned>(hr));
        return UnpackFail(ExitNoLibrary, "noobj", code, TcFilePath(L"TC7Z64.DLL"));
    }
    FileHandle file(CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        arc->Release();
        return UnpackFail(ExitOpen, "open", archive);
    }
    sz::InFile in(file.Get());
    SzRun run{archive, target, arc};
    int code = UnpackItems(run, in);
    arc->Close();
    arc->Release();
    return code;
}
