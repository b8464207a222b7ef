/* A library with 7-Zip's one export that never hands out an archive object. */
#include <windows.h>

__declspec(dllexport) HRESULT WINAPI CreateObject(const GUID* clsid, const GUID* iid, void** out) {
    (void)clsid;
    (void)iid;
    *out = NULL;
    return E_FAIL;
}
