/* Stand-in plugins for TC's four plugin interfaces, one source for every variant.
 * Each variant is chosen by compile definitions; the exports follow what TC calls:
 * stdcall, undecorated names. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#define EXPORT __declspec(dllexport)

typedef struct {
    int size;
    DWORD versionLow;
    DWORD versionHigh;
    char iniName[260];
} DefaultParams;

/* The answer a variant gives, chosen by number so that build files need no quoting. */
#if FAKE_ANSWER == 1
#define FAKE_TEXT "EXT=\"TXT\" | EXT=\"LOG\""
#elif FAKE_ANSWER == 2
#define FAKE_TEXT ""
#elif FAKE_ANSWER == 3
#define FAKE_TEXT "  \r\n  "
#elif FAKE_ANSWER == 4
#define FAKE_TEXT "EXT=\"JPG\" & SIZE>100"
#elif FAKE_ANSWER == 5
#define FAKE_TEXT "Fake Root"
#else
#define FAKE_TEXT "no answer chosen"
#endif

/* Not every variant reads what it records. */
#define MAYBE_UNUSED __attribute__((unused))
static char g_params[400] MAYBE_UNUSED = "no params";
static int g_packerParams MAYBE_UNUSED = 0;

static inline void RecordParams(const DefaultParams* p, const char* who) {
    snprintf(g_params, sizeof g_params, "%s size=%d version=%lu.%lu ini=%s", who, p->size,
             (unsigned long)p->versionHigh, (unsigned long)p->versionLow, p->iniName);
}

static inline void CopyAnswer(char* buf, int maxLen, const char* text) {
    if (maxLen <= 0) return;
    lstrcpynA(buf, text, maxLen);
}

static inline void PrintRaw(const char* text) {
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)strlen(text), &written, NULL);
}

static inline void Misbehave(void) {
#if defined(FAKE_CRASH)
    *(volatile int*)0 = 1;
#elif defined(FAKE_HANG)
    for (;;) Sleep(1000);
#endif
}

/* The recording variant answers with the default parameters it was handed. */
static inline void AnswerDetect(char* buf, int maxLen) {
    Misbehave();
#if defined(FAKE_RECORD)
    CopyAnswer(buf, maxLen, g_params);
#else
    CopyAnswer(buf, maxLen, FAKE_TEXT);
#endif
}

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID reserved) {
    (void)inst;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
#if defined(FAKE_FAIL_ATTACH)
        return FALSE;
#endif
#if defined(FAKE_PRINT_ATTACH)
        PrintRaw("fake plugin says hello\n");
#endif
    }
    if (reason == DLL_PROCESS_DETACH) {
#if defined(FAKE_PRINT_DETACH)
        PrintRaw("\ngoodbye from the fake plugin\n");
#endif
#if defined(FAKE_CRASH_DETACH)
        *(volatile int*)0 = 1;
#endif
#if defined(FAKE_HANG_DETACH)
        for (;;) Sleep(1000);
#endif
    }
    return TRUE;
}

#if defined(FAKE_DEP)
/* The only import of this variant lives in a DLL that is kept out of the plugin's
 * folder, so loading fails with error 126. */
__declspec(dllimport) int FakeDepValue(void);
EXPORT int __stdcall ListLoad(HWND parent, char* file, int flags) {
    (void)parent; (void)file; (void)flags;
    return FakeDepValue();
}
#endif

#if defined(FAKE_DEP_LIBRARY)
EXPORT int FakeDepValue(void) { return 7; }
#endif

#if defined(FAKE_LISTER)
EXPORT HWND __stdcall ListLoad(HWND parent, char* file, int flags) {
    (void)parent; (void)file; (void)flags;
    return NULL;
}
EXPORT HWND __stdcall ListLoadW(HWND parent, WCHAR* file, int flags) {
    (void)parent; (void)file; (void)flags;
    return NULL;
}
EXPORT void __stdcall ListSetDefaultParams(DefaultParams* p) { RecordParams(p, "L"); }
EXPORT void __stdcall ListGetDetectString(char* buf, int maxLen) { AnswerDetect(buf, maxLen); }
#endif

#if defined(FAKE_PACKER)
EXPORT HANDLE __stdcall OpenArchive(void* data) { (void)data; return NULL; }
EXPORT int __stdcall PackFiles(char* a, char* b, char* c, char* d, int e) {
    (void)a; (void)b; (void)c; (void)d; (void)e;
    return 0;
}
EXPORT void __stdcall PackSetDefaultParams(DefaultParams* p) {
    g_packerParams = p->size * 100 + (int)p->versionLow;
}
EXPORT int __stdcall GetPackerCaps(void) {
    Misbehave();
#if defined(FAKE_RECORD)
    return g_packerParams;
#else
    return FAKE_CAPS;
#endif
}
#endif

#if defined(FAKE_FS)
EXPORT int __stdcall FsInit(int nr, void* a, void* b, void* c) {
    (void)nr; (void)a; (void)b; (void)c;
    return 0;
}
EXPORT void __stdcall FsGetDefRootName(char* buf, int maxLen) {
    Misbehave();
    CopyAnswer(buf, maxLen, FAKE_TEXT);
}
#endif

#if defined(FAKE_CONTENT)
typedef struct {
    const char* name;
    int type;
    const char* units;
} FakeField;

#if !defined(FAKE_FIELD_COUNT)
static const FakeField kFields[] = {
    {"Int32", 1, ""},
    {"Int64", 2, ""},
    {"Size", 3, "bytes|KB|MB"},
    {"Ratio", 3, ""},
    {"Date", 4, ""},
    {"Time", 5, ""},
    {"Flag", 6, ""},
    {"Colour", 7, "red|green|blue"},
    {"File", 8, ""},
    {"Body", 9, ""},
    {"Stamp", 10, ""},
    {"Wide", 11, ""},
    {"Empty", 8, ""},
    {"Tab\tName", 8, "a\tb"},
    {"Later", 8, ""},
    {"Many", 1, "u0|u1|u2|u3|u4|u5|u6|u7|u8|u9|u10|u11|u12|u13|u14|u15|u16|u17|u18|u19"},
    {"Huge", 3, ""},
};
#define FIELD_COUNT_DEFAULT (int)(sizeof kFields / sizeof kFields[0])
#endif

EXPORT void __stdcall ContentSetDefaultParams(DefaultParams* p) { RecordParams(p, "C"); }
EXPORT void __stdcall ContentGetDetectString(char* buf, int maxLen) { AnswerDetect(buf, maxLen); }

EXPORT int __stdcall ContentGetSupportedField(int index, char* name, char* units, int maxLen) {
#if defined(FAKE_FIELD_COUNT)
    if (index >= FAKE_FIELD_COUNT) return 0;
    snprintf(name, (size_t)maxLen, "Field%d", index);
    units[0] = 0;
    return 1;
#else
    if (index < 0 || index >= FIELD_COUNT_DEFAULT) return 0;
    CopyAnswer(name, maxLen, kFields[index].name);
    CopyAnswer(units, maxLen, kFields[index].units);
    return kFields[index].type;
#endif
}

static int FillValue(int index, int unit, void* value, const char* fileText) {
#if defined(FAKE_FIELD_COUNT)
    (void)unit; (void)fileText;
    *(int*)value = index * 10;
    return 1;
#else
    switch (index) {
    case 0: *(int*)value = -42; return 1;
    case 1: *(long long*)value = 1234567890123LL; return 2;
    case 2: {
        static const double sizes[] = {1536.0, 1.5, 0.0000004};
        *(double*)value = sizes[unit % 3];
        return 3;
    }
    case 3:
        *(double*)value = -1.25;
        /* The plugin's own text at offset 8 wins over the number. */
        lstrcpyA((char*)value + 8, "one and a quarter below zero");
        return 3;
    case 4: {
        WORD* d = (WORD*)value;
        d[0] = 2024; d[1] = 2; d[2] = 29;
        return 4;
    }
    case 5: {
        WORD* t = (WORD*)value;
        t[0] = 13; t[1] = 5; t[2] = 9;
        return 5;
    }
    case 6: *(int*)value = 5; return 6;
    case 7: lstrcpyA((char*)value, unit == 1 ? "green" : "red"); return 7;
#if defined(FAKE_RECORD)
    case 8: (void)fileText; lstrcpyA((char*)value, g_params); return 8;
#else
    case 8: lstrcpyA((char*)value, fileText); return 8;
#endif
    case 9: lstrcpyA((char*)value, "never asked"); return 9;
    case 10: {
        /* 2021-06-15 12:00:00 UTC */
        ULONGLONG t = 132682608000000000ULL;
        FILETIME* ft = (FILETIME*)value;
        ft->dwLowDateTime = (DWORD)t;
        ft->dwHighDateTime = (DWORD)(t >> 32);
        return 10;
    }
    case 11: lstrcpyW((WCHAR*)value, L"Gr\u00fc\u00dfe\tzwei"); return 11;
    case 12: return -3;
    case 13: lstrcpyA((char*)value, "line\r\nbreak"); return 8;
    case 14: return -4;
    case 15: *(int*)value = unit; return 1;
    case 16: *(double*)value = 1e16; return 3;
    }
    return -5;
#endif
}

#if defined(FAKE_WIDE)
EXPORT int __stdcall ContentGetValueW(WCHAR* file, int index, int unit, void* value, int maxLen,
                                      int flags) {
    char narrow[520];
    (void)maxLen; (void)flags;
    Misbehave();
    WideCharToMultiByte(CP_UTF8, 0, file, -1, narrow, sizeof narrow, NULL, NULL);
    return FillValue(index, unit, value, narrow);
}
#endif
EXPORT int __stdcall ContentGetValue(char* file, int index, int unit, void* value, int maxLen,
                                     int flags) {
    (void)maxLen; (void)flags;
    Misbehave();
#if defined(FAKE_WIDE)
    /* The wide form exists, so the ANSI one must never be asked. */
    (void)file; (void)index; (void)unit;
    lstrcpyA((char*)value, "ANSI CALLED");
    return 8;
#else
    return FillValue(index, unit, value, file);
#endif
}
#endif
