// The few of 7-Zip's archive interfaces that the 7z reader uses, declared in the
// order of their virtual slots as 7-Zip's archive DLLs call them.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <propidl.h>

#include <cstdint>

namespace sz7 {

// 7-Zip's interface ids share their first eight bytes; the group and the number
// inside the group tell them apart.
constexpr GUID Iid(uint8_t group, uint8_t id) {
    return {0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, group, 0x00, id, 0x00, 0x00}};
}

constexpr GUID IID_ISeqIn = Iid(0x03, 0x01);
constexpr GUID IID_ISeqOut = Iid(0x03, 0x02);
constexpr GUID IID_IInStr = Iid(0x03, 0x03);
constexpr GUID IID_IProg = Iid(0x00, 0x05);
constexpr GUID IID_IPassword = Iid(0x05, 0x10);
constexpr GUID IID_IOpenCb = Iid(0x06, 0x10);
constexpr GUID IID_IExtractCb = Iid(0x06, 0x20);
constexpr GUID IID_IInArchive = Iid(0x06, 0x60);
// The archive handler of the 7z format.
constexpr GUID CLSID_Format7z = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

struct ISeqIn : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(void* data, UINT32 size, UINT32* processed) = 0;
};

struct IInStr : ISeqIn {
    virtual HRESULT STDMETHODCALLTYPE Seek(INT64 offset, UINT32 origin, UINT64* newPosition) = 0;
};

struct ISeqOut : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Write(const void* data, UINT32 size, UINT32* processed) = 0;
};

struct IProg : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetTotal(UINT64 total) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCompleted(const UINT64* completed) = 0;
};

struct IOpenCb : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetTotal(const UINT64* files, const UINT64* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCompleted(const UINT64* files, const UINT64* bytes) = 0;
};

struct IExtractCb : IProg {
    virtual HRESULT STDMETHODCALLTYPE GetStream(UINT32 index, ISeqOut** stream, INT32 askMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrepareOperation(INT32 askMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOperationResult(INT32 result) = 0;
};

struct IPassword : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) = 0;
};

// Only the slots up to Extract are called; the rest of the table is never touched.
struct IInArchive : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Open(IInStr* stream, const UINT64* maxCheckStart, IOpenCb* callback) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfItems(UINT32* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(UINT32 index, PROPID id, PROPVARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Extract(const UINT32* indices, UINT32 count, INT32 testMode,
                                              IExtractCb* callback) = 0;
};

// Property ids of an item, and the operation results the reader tells apart.
enum : PROPID { PropPath = 3, PropIsFolder = 6, PropSize = 7, PropAttributes = 9, PropEncrypted = 15 };
enum : INT32 { ResultOk = 0, ResultUnsupportedMethod = 1, ResultCrcError = 3, ResultWrongPassword = 9 };

}  // namespace sz7
