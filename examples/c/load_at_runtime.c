/*
 * Loads VekLib at run time, connects to a governor, reads one parameter,
 * sets it and saves the governor's parameter set as a parameter file.
 *
 *   load_at_runtime PORT OUTPUT.prm [NUMBER [VALUE]]
 *
 * Without NUMBER the first parameter (0-1999) of the governor is used;
 * without VALUE the value read is written back unchanged. The environment
 * variable VEKLIB_LIBRARY names the library to load (default: the installed
 * one, found the usual way).
 */
#include "VekLib.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#  include <windows.h>
typedef HMODULE LibraryHandle;
static const char* const kDefaultLibrary = "VekLib.dll";
static LibraryHandle OpenLibrary(const char* name) { return LoadLibraryA(name); }
static void* FindSymbol(LibraryHandle library, const char* name) {
    return (void*)GetProcAddress(library, name);
}
static void CloseLibrary(LibraryHandle library) { FreeLibrary(library); }
#else
#  include <dlfcn.h>
typedef void* LibraryHandle;
static const char* const kDefaultLibrary = "libVekLib.so.3";
static LibraryHandle OpenLibrary(const char* name) { return dlopen(name, RTLD_NOW); }
static void* FindSymbol(LibraryHandle library, const char* name) { return dlsym(library, name); }
static void CloseLibrary(LibraryHandle library) { dlclose(library); }
#endif

enum { kTextCapacity = 256, kBaud = 9600, kParameterKindEnd = 2000, kKindModulus = 10000 };

/* The exports this program uses, looked up by name. */
typedef struct Api {
    int32_t (VEK_CALL *ConfigureSerialStream)(const VekChar* port, uint32_t baud);
    int32_t (VEK_CALL *SetLogFile)(const VekChar* name);
    int32_t (VEK_CALL *Init)(void);
    int32_t (VEK_CALL *Close)(void);
    int32_t (VEK_CALL *ReadAllParDef)(void);
    uint32_t (VEK_CALL *GetParDefNum)(void);
    ParDef* (VEK_CALL *GetParDefByIndex)(uint32_t index);
    int32_t (VEK_CALL *ReadRawValue)(uint32_t id);
    int32_t (VEK_CALL *GetValue)(uint32_t id, VekChar* text, uint16_t capacity);
    int32_t (VEK_CALL *SetValue)(uint32_t id, const VekChar* text);
    int32_t (VEK_CALL *DownloadPrmFile)(const VekChar* path);
    uint32_t (VEK_CALL *GetLastError)(void);
} Api;

static int Bind(LibraryHandle library, const char* name, void* slot) {
    void* symbol = FindSymbol(library, name);
    if (!symbol) fprintf(stderr, "the library has no %s\n", name);
    memcpy(slot, &symbol, sizeof symbol); /* object pointer to function pointer */
    return symbol != NULL;
}

static int BindAll(LibraryHandle library, Api* api) {
    return Bind(library, "VekConfigureSerialStream", &api->ConfigureSerialStream) &&
           Bind(library, "VekSetLogFile", &api->SetLogFile) && Bind(library, "VekInit", &api->Init) &&
           Bind(library, "VekClose", &api->Close) && Bind(library, "VekReadAllParDef", &api->ReadAllParDef) &&
           Bind(library, "VekGetParDefNum", &api->GetParDefNum) &&
           Bind(library, "VekGetParDefByIndex", &api->GetParDefByIndex) &&
           Bind(library, "VekReadRawValue", &api->ReadRawValue) && Bind(library, "VekGetValue", &api->GetValue) &&
           Bind(library, "VekSetValue", &api->SetValue) &&
           Bind(library, "VekDownloadPrmFile", &api->DownloadPrmFile) &&
           Bind(library, "VekGetLastError", &api->GetLastError);
}

/* ASCII (ports, file names, numbers) as UTF-16; longer texts are cut. */
static void Widen(const char* text, VekChar* out, size_t capacity) {
    size_t i = 0;
    for (; text[i] && i + 1 < capacity; ++i) out[i] = (VekChar)(unsigned char)text[i];
    out[i] = 0;
}

/* UTF-16 as ASCII for printing; other characters show as '?'. */
static void Narrow(const VekChar* text, char* out, size_t capacity) {
    size_t i = 0;
    for (; text[i] && i + 1 < capacity; ++i) out[i] = text[i] < 0x80 ? (char)text[i] : '?';
    out[i] = 0;
}

static const VekChar kEmptyText[1] = {0};

static uint32_t FirstParameter(const Api* api) {
    uint32_t index;
    for (index = 0; index < api->GetParDefNum(); ++index) {
        const ParDef* def = api->GetParDefByIndex(index);
        if (def && def->Id % kKindModulus < kParameterKindEnd) return def->Id;
    }
    return 0;
}

static const ParDef* FindDefinition(const Api* api, uint32_t id) {
    uint32_t index;
    for (index = 0; index < api->GetParDefNum(); ++index) {
        const ParDef* def = api->GetParDefByIndex(index);
        if (def && def->Id == id) return def;
    }
    return NULL;
}

static int Fail(const Api* api, const char* step) {
    fprintf(stderr, "%s failed (governor status %u)\n", step, (unsigned)api->GetLastError());
    return 0;
}

static int Run(const Api* api, int argc, char** argv) {
    VekChar port[kTextCapacity], path[kTextCapacity], text[kTextCapacity], log[kTextCapacity];
    char shown[kTextCapacity], name[sizeof(((ParDef*)0)->Name) / sizeof(VekChar)];
    const char* logName = getenv("VEKLIB_LOG");
    const ParDef* def;
    uint32_t id;

    if (logName) {
        Widen(logName, log, kTextCapacity);
        api->SetLogFile(log);
    }
    Widen(argv[1], port, kTextCapacity);
    if (!api->ConfigureSerialStream(port, kBaud)) return Fail(api, "VekConfigureSerialStream");
    if (!api->Init()) return Fail(api, "VekInit");
    if (!api->ReadAllParDef()) return Fail(api, "VekReadAllParDef");
    printf("%u definitions\n", (unsigned)api->GetParDefNum());

    id = argc > 3 ? (uint32_t)strtoul(argv[3], NULL, 10) : FirstParameter(api);
    if (!api->ReadRawValue(id)) return Fail(api, "VekReadRawValue");
    if (!api->GetValue(id, text, kTextCapacity)) return Fail(api, "VekGetValue");
    def = FindDefinition(api, id);
    Narrow(def ? def->Name : kEmptyText, name, sizeof name);
    Narrow(text, shown, sizeof shown);
    printf("parameter %u %s = %s\n", (unsigned)id, name, shown);

    if (argc > 4) Widen(argv[4], text, kTextCapacity);
    if (!api->SetValue(id, text)) return Fail(api, "VekSetValue");
    Narrow(text, shown, sizeof shown);
    printf("parameter %u set to %s\n", (unsigned)id, shown);

    Widen(argv[2], path, kTextCapacity);
    if (!api->DownloadPrmFile(path)) return Fail(api, "VekDownloadPrmFile");
    printf("parameter file %s saved\n", argv[2]);
    return 1;
}

int main(int argc, char** argv) {
    const char* libraryName = getenv("VEKLIB_LIBRARY") ? getenv("VEKLIB_LIBRARY") : kDefaultLibrary;
    LibraryHandle library;
    Api api;
    int ok;

    if (argc < 3) {
        fprintf(stderr, "usage: %s PORT OUTPUT.prm [NUMBER [VALUE]]\n", argv[0]);
        return 2;
    }
    library = OpenLibrary(libraryName);
    if (!library) {
        fprintf(stderr, "cannot load %s\n", libraryName);
        return 1;
    }
    ok = BindAll(library, &api);
    if (ok) {
        ok = Run(&api, argc, argv);
        api.Close();
    }
    CloseLibrary(library);
    return ok ? 0 : 1;
}
