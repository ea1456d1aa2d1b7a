/*
 * VekLib: talk to a digital engine speed governor over an RS-232 line.
 *
 * The whole public interface of the library. The header compiles as C99 and
 * as C++; every export, callback and stream operation uses VEK_CALL.
 *
 * General rules
 * - Results: most exports return 1 (non-zero) for success and 0 for failure;
 *   a failure writes one line to the log file (VekSetLogFile) and leaves the
 *   governor's last status word readable through VekGetLastError.
 * - Text: every text is 0-terminated UTF-16 (VekChar).
 * - Threads: the library creates none. Exports that talk to the governor take
 *   the process-wide, re-entrant communication lock for their whole run, so
 *   two threads never interleave on the line. Setters, lookups, conversions
 *   and list getters take no lock: do not call them while another thread
 *   changes the same state. The log has a lock of its own: any thread may log
 *   or call VekSetLogFile, and every line stays whole. Callbacks run on the
 *   calling thread, usually while it holds the lock, and may call back into
 *   the library on that thread.
 * - Failures inside the library never unwind into the caller: an export that
 *   runs out of memory (or meets any other C++ exception) logs "Out of memory
 *   in <export>" (or "Unexpected error in <export>"), returns its failure
 *   result (0, NULL, or nothing for void exports), releases the
 *   communication lock and leaves the library usable.
 * - Records handed out by pointer belong to the library; buffers passed in
 *   belong to the caller, with the capacity each export states.
 */
#ifndef VEKLIB_H
#define VEKLIB_H

#include <stdint.h>

#if defined(_WIN32)
#  define VEK_CALL __cdecl
#  if defined(VEKLIB_BUILDING)
#    define VEK_API __declspec(dllexport)
#  elif defined(VEKLIB_STATIC)
#    define VEK_API
#  else
#    define VEK_API __declspec(dllimport)
#  endif
#else
#  define VEK_CALL
#  define VEK_API __attribute__((visibility("default")))
#endif

#if defined(_WIN32)
typedef wchar_t VekChar;
#elif defined(__cplusplus)
typedef char16_t VekChar;
#else
typedef uint16_t VekChar;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Records read in place (packed, little-endian)                             */
/* ------------------------------------------------------------------------ */

#pragma pack(push, 1)

/* Device information, filled by the connection (VekInit) and the error memory
 * configuration read. Read (and, for UserVersion, written) in place. */
typedef struct VekStruct {
    int32_t  DeviceKind;              /*    0: 1, 2 or 3 from synchronisation, 0 unknown */
    uint8_t  HardwareMajor;           /*    4 */
    uint8_t  HardwareMinor;           /*    5 */
    uint16_t HardwareVersion;         /*    6 */
    uint8_t  SoftwareHigh;            /*    8 */
    uint8_t  SoftwareMid;             /*    9 */
    uint8_t  SoftwareLow;             /*   10 */
    uint32_t SoftwareVersion;         /*   11 */
    uint16_t UserVersion;             /*   15: set by the caller, "[UW]" of parameter files */
    VekChar  SerialDate[10];          /*   17 */
    VekChar  SerialNumber[10];        /*   37 */
    VekChar  PpsNumber[20];           /*   57 */
    VekChar  BoardNumber[20];         /*   97 */
    int32_t  IntCodeTable[256][2];    /*  137: [i][0] minimum, [i][1] maximum */
    uint16_t IntCodeCount;            /* 2185 */
    uint16_t Features;                /* 2187: bits 0-1 error memory kind, 2 identification, 3 click test */
    uint16_t ErrorMemoryFormat;       /* 2189 */
    uint16_t ErrorMemoryAux;          /* 2191 */
    uint16_t ErrorArgCount;           /* 2193 */
    uint32_t ErrorArgIds[16];         /* 2195 */
    uint8_t  ErrorsCurrent;           /* 2259: 0 while the governor's actual errors changed unseen */
    uint16_t ChecksumReplyLength;     /* 2260 */
    uint8_t  ChecksumReply[106];      /* 2262: definition checksum block (words at 8, 12, 14, 16, 26, 28) */
} VekStruct;

/* One parameter definition, owned by the definition store. Pointers stay
 * valid until the store is cleared or downloaded again. */
typedef struct ParDef {
    uint32_t Id;                      /*   0 */
    VekChar  Name[50];                /*   4 */
    int32_t  Min;                     /* 104 */
    int32_t  Max;                     /* 108 */
    VekChar  Unit[8];                 /* 112 */
    uint8_t  IntCode;                 /* 128 */
    uint8_t  Format;                  /* 129: decimals */
    uint8_t  ArrayIndex;              /* 130 */
    uint8_t  ArrayLength;             /* 131 */
    double   RealMin;                 /* 132 */
    double   RealMax;                 /* 140 */
    uint16_t RawValue;                /* 148: last known raw value */
    uint8_t  Reserved[4];             /* 150 */
} ParDef;

/* One record of the error memory, owned by the entry list (valid until the
 * next error memory read). */
typedef struct ErrorEntry {
    uint32_t Id;                      /*  0 */
    uint32_t Time1;                   /*  4 */
    uint32_t Time2;                   /*  8 */
    uint16_t Count;                   /* 12 */
    uint16_t Word1;                   /* 14 */
    uint16_t Word2;                   /* 16 */
    uint16_t Args[16];                /* 18 */
    uint16_t Word3;                   /* 50 */
    uint16_t Word4;                   /* 52 */
    uint16_t Args2[16];               /* 54 */
} ErrorEntry;

#pragma pack(pop)

/* ------------------------------------------------------------------------ */
/* The stream record                                                         */
/* ------------------------------------------------------------------------ */

/* Every byte to and from the governor passes through this record (natural
 * alignment). VekGetStream hands it out so that a caller may install its own
 * transport or change the time-outs; do that only while no operation runs.
 * Every slot receives the record itself first. Integer results: non-zero is
 * success, 0 failure.
 *
 * Unlike the packed records above, its layout follows the pointer size of
 * the build (checked at the end of this header):
 * - 32-bit builds (VekLib.dll of the win32 package, i386 Linux): Context at
 *   1024, ResponseTimeout at 1028, OnOpened at 1044, Open at 1056, Purge at
 *   1092, 1096 bytes in all, every slot 4 bytes.
 * - 64-bit builds (VekLib.dll of the win64 package, libVekLib.so on x86-64
 *   and other 64-bit Linux): Context at 1024, ResponseTimeout at 1032,
 *   OnOpened at 1048, Open at 1072, Purge at 1144, 1152 bytes in all, every
 *   slot 8 bytes. */
typedef struct SerialStream SerialStream;
struct SerialStream {
    VekChar Config[512];      /* "port,baud" for the serial port; "N/A" at load */
    void*   Context;          /* for the implementation's own use */
    int32_t ResponseTimeout;  /* ms for ordinary replies */
    int32_t LongTimeout;      /* ms for long commands (store, value writes, firmware blocks) */
    int32_t StartupWait;      /* ms to keep reconnecting while the governor restarts */
    int32_t EraseTimeout;     /* ms while the governor erases its firmware */

    /* Hooks, each may be null. */
    /* Called by the serial Open after opening the port and before the second wake-up byte. */
    void           (VEK_CALL *OnOpened)(SerialStream* s);
    /* Translates the stream's own error messages; null leaves them as they are. */
    const VekChar* (VEK_CALL *TranslateHook)(SerialStream* s, const VekChar* text);
    /* Asks the governor to change its rate; null counts as success. */
    int32_t        (VEK_CALL *RequestBaudRate)(SerialStream* s, uint32_t baud);

    /* The ten operations, in slot order. */
    /* Ready to exchange bytes with the governor at the start rate. */
    int32_t (VEK_CALL *Open)(SerialStream* s);
    /* Non-zero while the link is open. */
    int32_t (VEK_CALL *IsOpen)(SerialStream* s);
    /* Closes the link; harmless when it is not open; the result is not used. */
    int32_t (VEK_CALL *Close)(SerialStream* s);
    /* Prepares the open link for the synchronisation. */
    int32_t (VEK_CALL *Configure)(SerialStream* s);
    /* Non-zero when all count bytes were sent; a count of 0 succeeds at once. */
    int32_t (VEK_CALL *Write)(SerialStream* s, const uint8_t* data, int32_t count);
    /* Non-zero when all count bytes arrived within the current time-out; a count of 0 succeeds at once. */
    int32_t (VEK_CALL *Read)(SerialStream* s, uint8_t* buffer, int32_t count);
    /* The current time-out in milliseconds. */
    int32_t (VEK_CALL *GetTimeout)(SerialStream* s);
    /* Applies the time-out to every later read and write. */
    int32_t (VEK_CALL *SetTimeout)(SerialStream* s, int32_t ms);
    /* Switches governor and link from the start rate to the configured rate. */
    int32_t (VEK_CALL *ChangeBaudRate)(SerialStream* s);
    /* Discards whatever waits in the receive and send queues. */
    int32_t (VEK_CALL *Purge)(SerialStream* s);
};

/* ------------------------------------------------------------------------ */
/* Callbacks (VekSetCallback types 0 to 7); each receives the user data first */
/* ------------------------------------------------------------------------ */

typedef void (VEK_CALL *VekCallback)(void);   /* any callback, cast to this for VekSetCallback */

typedef void    (VEK_CALL *VekStatusCallback)(void* user, const VekChar* text);                     /* type 0 */
typedef void    (VEK_CALL *VekFirmwareProgressCallback)(void* user, const VekChar* text, uint16_t permille); /* 1 */
typedef void    (VEK_CALL *VekProgressCallback)(void* user, const VekChar* text, uint16_t value);   /* 2 */
typedef void    (VEK_CALL *VekIdleCallback)(void* user);                                            /* 3 */
typedef void    (VEK_CALL *VekErrorCallback)(void* user, const VekChar* text);                      /* 4 */
typedef int32_t (VEK_CALL *VekQuestionCallback)(void* user, const VekChar* text);                   /* 5 */
typedef int32_t (VEK_CALL *VekImportantErrorCallback)(void* user, const VekChar* text);             /* 6 */
typedef void    (VEK_CALL *VekTranslateCallback)(void* user, const VekChar* text, VekChar* out512); /* 7 */

#define VEK_CALLBACK_STATUS            0u
#define VEK_CALLBACK_FIRMWARE_PROGRESS 1u
#define VEK_CALLBACK_PROGRESS          2u
#define VEK_CALLBACK_IDLE              3u
#define VEK_CALLBACK_ERROR             4u
#define VEK_CALLBACK_QUESTION          5u
#define VEK_CALLBACK_IMPORTANT_ERROR   6u
#define VEK_CALLBACK_TRANSLATE         7u

/* ------------------------------------------------------------------------ */
/* State, callbacks, log (no lock)                                           */
/* ------------------------------------------------------------------------ */

/* Stores the pointer handed first to every callback; returns it. */
VEK_API void*      VEK_CALL VekSetUserData(void* data);
/* Returns the pointer stored by VekSetUserData (null at load). */
VEK_API void*      VEK_CALL VekGetUserData(void);
/* Installs a callback into slot type 0-7 (VEK_CALLBACK_*); other types are ignored. */
VEK_API void       VEK_CALL VekSetCallback(uint32_t type, VekCallback function);
/* The device information record, read in place. */
VEK_API VekStruct* VEK_CALL VekGetVekStruct(void);
/* The governor's last status word (0 to 65535). */
VEK_API uint32_t   VEK_CALL VekGetLastError(void);
/* Names the log file (at most 259 characters are kept; empty: no log) and closes
 * the open one; the next message creates or empties the file. Returns 0.
 * Safe from any thread (the log's own lock). */
VEK_API int32_t    VEK_CALL VekSetLogFile(const VekChar* name);

/* ------------------------------------------------------------------------ */
/* Connection (communication lock)                                           */
/* ------------------------------------------------------------------------ */

/* Opens the stream, synchronises, moves to the configured rate, reads version,
 * checksum block, features and identification. 1 or 0; on failure logs the
 * failing step's line and closes the stream. */
VEK_API int32_t  VEK_CALL VekInit(void);
/* Closes the stream. Returns non-zero. */
VEK_API int32_t  VEK_CALL VekClose(void);
/* Stores id & 0xFFFF as the identifier sent at the next connection; returns it. */
VEK_API uint32_t VEK_CALL VekSetIdentifier(uint32_t id);
/* The identifier (20054 at load). */
VEK_API uint32_t VEK_CALL VekGetIdentifier(void);
/* 1 while the connected governor runs its boot loader, else 0. */
VEK_API int32_t  VEK_CALL VekInBootstrapMode(void);
/* Reads serial data, PPS and board number into VekStruct. 1 or 0 (logs the failing request). */
VEK_API int32_t  VEK_CALL VekReadIdentification(void);
/* Reads the actual errors on an open stream; 0 without an exchange when closed. */
VEK_API int32_t  VEK_CALL VekPing(void);
/* Connects again (without closing on failure) and configures timed list 0 again. 1 or 0. */
VEK_API int32_t  VEK_CALL VekReconnect(void);

/* ------------------------------------------------------------------------ */
/* Stream                                                                    */
/* ------------------------------------------------------------------------ */

/* The stream record (never null). */
VEK_API SerialStream* VEK_CALL VekGetStream(void);
/* Installs the serial port with Config "port,baud" and the time-outs; opens nothing,
 * takes no lock. 1, or 0 and a log line for a rate of 0. */
VEK_API int32_t  VEK_CALL VekConfigureSerialStream(const VekChar* port, uint32_t baud);
/* Switches the governor's communication time-out supervision on (non-zero) or off.
 * 1 when the governor answers status 0, else 0. */
VEK_API int32_t  VEK_CALL VekEnableTimeoutCheck(uint8_t flag);

/* ------------------------------------------------------------------------ */
/* Parameter definitions                                                     */
/* ------------------------------------------------------------------------ */

/* Number of stored definitions. */
VEK_API uint32_t VEK_CALL VekGetParDefNum(void);
/* The definition of number id, or null. */
VEK_API ParDef*  VEK_CALL VekGetParDef(uint32_t id);
/* The definition at position index of the index (creation order, ascending numbers
 * after a download or VekValidateAllParDefs), or null. */
VEK_API ParDef*  VEK_CALL VekGetParDefByIndex(uint32_t index);
/* 1 when a definition of number id exists, else 0. */
VEK_API int32_t  VEK_CALL VekExistsParDef(uint32_t id);
/* The definition of number id: the existing one unchanged, or a new one with all
 * fields 0, appended to the index. */
VEK_API ParDef*  VEK_CALL VekAddParDef(uint32_t id);
/* Empties the store (communication lock). */
VEK_API void     VEK_CALL VekClearParDefs(void);
/* Sorts the index in ascending order of number; changes no definition. */
VEK_API void     VEK_CALL VekValidateAllParDefs(void);
/* Saves the raw value of every definition (communication lock). */
VEK_API void     VEK_CALL VekBackupParDefs(void);
/* Restores the raw values saved by VekBackupParDefs (communication lock). */
VEK_API void     VEK_CALL VekRestoreParDefs(void);
/* Downloads every definition from the governor into an empty store. 1 or 0. */
VEK_API int32_t  VEK_CALL VekReadAllParDef(void);
/* The first definition whose name equals name (A-Z case-insensitive, at most 49
 * characters compared) within the kinds of kindMask, or null. Mask bits, by the
 * number's remainder of division by 10000: bit 0 parameters (0-1998), bit 1
 * functions (4000-5999), bit 2 measurements (2000-3999), bit 3 curves (6000-9999);
 * a remainder of 1999 never passes. */
VEK_API ParDef*  VEK_CALL VekFindParDefByName(const VekChar* name, uint32_t kindMask);
/* Ratcliff/Obershelp similarity of two texts, 0.0 to 1.0. */
VEK_API double   VEK_CALL VekStrSimilarity(const VekChar* a, const VekChar* b);
/* The first definition from index start on whose name is at least percent similar, or null. */
VEK_API ParDef*  VEK_CALL VekFindParDefBySimilarity(const VekChar* name, uint32_t start, uint16_t percent);

/* ------------------------------------------------------------------------ */
/* Values                                                                    */
/* ------------------------------------------------------------------------ */

/* Reads one raw value into the definition's RawValue. 1 or 0 (LastStatus 0xFFFE,
 * 0xFFFD or 0xFFFC tells why). */
VEK_API int32_t VEK_CALL VekReadRawValue(uint32_t id);
/* Writes one raw value to the governor. 1 or 0. */
VEK_API int32_t VEK_CALL VekWriteRawValue(uint32_t id, uint16_t value);
/* Non-zero: value changes go to the governor at once (the default); 0: only stored. */
VEK_API void    VEK_CALL VekDirectSet(uint8_t flag);
/* Formats a real value of parameter id as display text into text[capacity]. Returns 1. */
VEK_API int32_t VEK_CALL VekFormatValue(uint32_t id, double value, VekChar* text, uint16_t capacity);
/* The display text of the stored raw value of id. 1 or 0. */
VEK_API int32_t VEK_CALL VekGetValue(uint32_t id, VekChar* text, uint16_t capacity);
/* The display texts of the limits of id. 1 or 0. */
VEK_API int32_t VEK_CALL VekGetValueMinMax(uint32_t id, VekChar* low, uint16_t lowCapacity,
                                           VekChar* high, uint16_t highCapacity);
/* The range text of id into text (256 characters). 1 or 0. */
VEK_API int32_t VEK_CALL VekGetValueRange(uint32_t id, VekChar* text);
/* Parses, range-checks and stores (and with direct set on, writes) a typed value. 1 or 0. */
VEK_API int32_t VEK_CALL VekSetValue(uint32_t id, const VekChar* text);
/* Converts a raw value of id to its real value. 1 or 0. For IntCode 250 the
   range comes from the two range parameters' cached values; one whose
   RawValue is 0 and was never read from the governor or set through the
   library is read from the governor first (one exchange). */
VEK_API int32_t VEK_CALL VekConvertToRealValue(uint32_t id, uint16_t raw, double* value);
/* The real value of the stored raw value of id. 1 or 0. */
VEK_API int32_t VEK_CALL VekGetRealValue(uint32_t id, double* value);
/* The real values of count stored raw values. 1 or 0. */
VEK_API int32_t VEK_CALL VekGetRealValues(uint32_t count, const uint32_t* ids, double* values);
/* Configures timed list 0-63 on the governor with up to 16 numbers. 1 or 0. */
VEK_API int32_t VEK_CALL VekSetTimedList(uint8_t list, uint32_t count, const uint32_t* ids);
/* The stored numbers of a timed list (owned by the library). */
VEK_API void    VEK_CALL VekGetTimedList(uint8_t list, uint32_t* count, uint32_t** ids);
/* Samples a timed list: extended stamp and real values. 1 or 0. */
VEK_API int32_t VEK_CALL VekReadTimedList(uint8_t list, uint32_t* stamp, double* values);
/* Group reads: 0 success; 1, 2 or 3 failure. */
VEK_API int32_t VEK_CALL VekReadParameterValues(void);
VEK_API int32_t VEK_CALL VekReadMeasurementValues(void);
VEK_API int32_t VEK_CALL VekReadFunctionValues(void);
VEK_API int32_t VEK_CALL VekReadCurveValues(void);
/* The bitwise OR of the four group reads. */
VEK_API int32_t VEK_CALL VekReadAllValues(void);
/* Writes parameters, functions and curves in blocks. 1 or 0. */
VEK_API int32_t VEK_CALL VekWriteAllValues(void);

/* ------------------------------------------------------------------------ */
/* Parameter files                                                           */
/* ------------------------------------------------------------------------ */

/* Loads a parameter file into the governor (all or nothing). 1 or 0.
 * The file's values are applied to the values in memory, and then every
 * parameter, function and curve value in memory is written to the governor,
 * not only those the file names. Read the governor's values first
 * (VekReadParameterValues, VekReadFunctionValues, VekReadCurveValues, or
 * VekReadAllValues): a value never read is written as 0. */
VEK_API int32_t VEK_CALL VekUploadPrmFile(const VekChar* path, int32_t tolerant);
VEK_API int32_t VEK_CALL VekUploadPrmFileExt(const VekChar* path, int32_t includeMeasurements, int32_t tolerant);
/* The same from size bytes of 8-bit text. */
VEK_API int32_t VEK_CALL VekUploadPrmBuffer(const char* data, uint32_t size, int32_t tolerant);
VEK_API int32_t VEK_CALL VekUploadPrmBufferExt(const char* data, uint32_t size,
                                               int32_t includeMeasurements, int32_t tolerant);
/* Saves the governor's parameter set as a parameter file. 1 or 0. */
VEK_API int32_t VEK_CALL VekDownloadPrmFile(const VekChar* path);
/* The same into buffer; *size is its capacity in, the length written out. 1 or 0. */
VEK_API int32_t VEK_CALL VekDownloadPrmBuffer(char* buffer, int32_t* size);
/* Writes the raw data listing, with fresh values when withValues is non-zero. 1 or 0. */
VEK_API int32_t VEK_CALL VekDownloadRawPrmFile(const VekChar* path, int32_t withValues);

/* ------------------------------------------------------------------------ */
/* Firmware                                                                  */
/* ------------------------------------------------------------------------ */

/* Erases the governor's firmware. 1 or 0. */
VEK_API int32_t VEK_CALL VekEraseFirmware(void);
/* Erases, uploads and waits for the restart. 1 or 0. */
VEK_API int32_t VEK_CALL VekUploadFirmwareFromFile(const VekChar* path);
VEK_API int32_t VEK_CALL VekUploadFirmwareFromBuffer(const uint8_t* data, uint32_t size);

/* ------------------------------------------------------------------------ */
/* Service commands and parameter pages                                      */
/* ------------------------------------------------------------------------ */

VEK_API int32_t VEK_CALL VekStore(void);
VEK_API int32_t VEK_CALL VekReset(void);
VEK_API int32_t VEK_CALL VekStartClickTest(void);
VEK_API int32_t VEK_CALL VekStopClickTest(void);
VEK_API int32_t VEK_CALL VekActuatorAutoAdjust(void);
VEK_API int32_t VEK_CALL VekClearOperatingData(void);
/* 1 when the governor has parameter pages (CommandsInfo bit 14). */
VEK_API int32_t VEK_CALL VekParamPagesFeatureAvailable(void);
VEK_API int32_t VEK_CALL VekGetActiveParamPage(int32_t* page);
VEK_API int32_t VEK_CALL VekActivateParamPage(uint16_t page);

/* ------------------------------------------------------------------------ */
/* Errors                                                                    */
/* ------------------------------------------------------------------------ */

/* Reads the actual errors into the error definitions and the pending list. 1 or 0. */
VEK_API int32_t    VEK_CALL VekReadActualErrors(void);
VEK_API uint32_t   VEK_CALL VekGetPendingErrorsNum(void);
VEK_API uint32_t   VEK_CALL VekGetPendingErrorId(uint32_t index);
VEK_API uint16_t   VEK_CALL VekGetPendingErrorOldValue(uint32_t index);
/* Configures the parameter numbers recorded with each error (0 to 16). 1 or 0. */
VEK_API int32_t    VEK_CALL VekConfigureErrorMemoryArgs(int32_t count, const int32_t* values);
/* Reads the error memory into the entry list. 1 or 0. */
VEK_API int32_t    VEK_CALL VekReadErrorMemory(void);
VEK_API int32_t    VEK_CALL VekAcknowledgeErrorMemoryItem(uint32_t word1, uint32_t word2);
VEK_API int32_t    VEK_CALL VekEraseErrorMemory(void);
VEK_API uint32_t   VEK_CALL VekGetErrorEntriesNum(void);
VEK_API ErrorEntry* VEK_CALL VekGetErrorEntryByIndex(uint32_t index);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* Layout checks: these records are read in place by callers. */
#if defined(__cplusplus)
#  include <cstddef>
#  define VEK_STATIC_ASSERT(c, m) static_assert(c, m)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#  include <stddef.h>
#  define VEK_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
#ifdef VEK_STATIC_ASSERT
VEK_STATIC_ASSERT(sizeof(VekChar) == 2, "VekChar is one UTF-16 code unit");
VEK_STATIC_ASSERT(sizeof(VekStruct) == 2368, "VekStruct is 2368 bytes");
VEK_STATIC_ASSERT(offsetof(VekStruct, HardwareMajor) == 4, "VekStruct.HardwareMajor");
VEK_STATIC_ASSERT(offsetof(VekStruct, HardwareVersion) == 6, "VekStruct.HardwareVersion");
VEK_STATIC_ASSERT(offsetof(VekStruct, SoftwareHigh) == 8, "VekStruct.SoftwareHigh");
VEK_STATIC_ASSERT(offsetof(VekStruct, SoftwareVersion) == 11, "VekStruct.SoftwareVersion");
VEK_STATIC_ASSERT(offsetof(VekStruct, UserVersion) == 15, "VekStruct.UserVersion");
VEK_STATIC_ASSERT(offsetof(VekStruct, SerialDate) == 17, "VekStruct.SerialDate");
VEK_STATIC_ASSERT(offsetof(VekStruct, SerialNumber) == 37, "VekStruct.SerialNumber");
VEK_STATIC_ASSERT(offsetof(VekStruct, PpsNumber) == 57, "VekStruct.PpsNumber");
VEK_STATIC_ASSERT(offsetof(VekStruct, BoardNumber) == 97, "VekStruct.BoardNumber");
VEK_STATIC_ASSERT(offsetof(VekStruct, IntCodeTable) == 137, "VekStruct.IntCodeTable");
VEK_STATIC_ASSERT(offsetof(VekStruct, IntCodeCount) == 2185, "VekStruct.IntCodeCount");
VEK_STATIC_ASSERT(offsetof(VekStruct, Features) == 2187, "VekStruct.Features");
VEK_STATIC_ASSERT(offsetof(VekStruct, ErrorMemoryFormat) == 2189, "VekStruct.ErrorMemoryFormat");
VEK_STATIC_ASSERT(offsetof(VekStruct, ErrorArgIds) == 2195, "VekStruct.ErrorArgIds");
VEK_STATIC_ASSERT(offsetof(VekStruct, ErrorsCurrent) == 2259, "VekStruct.ErrorsCurrent");
VEK_STATIC_ASSERT(offsetof(VekStruct, ChecksumReplyLength) == 2260, "VekStruct.ChecksumReplyLength");
VEK_STATIC_ASSERT(offsetof(VekStruct, ChecksumReply) == 2262, "VekStruct.ChecksumReply");
VEK_STATIC_ASSERT(sizeof(ParDef) == 154, "ParDef is 154 bytes");
VEK_STATIC_ASSERT(offsetof(ParDef, Name) == 4, "ParDef.Name");
VEK_STATIC_ASSERT(offsetof(ParDef, Min) == 104, "ParDef.Min");
VEK_STATIC_ASSERT(offsetof(ParDef, Unit) == 112, "ParDef.Unit");
VEK_STATIC_ASSERT(offsetof(ParDef, IntCode) == 128, "ParDef.IntCode");
VEK_STATIC_ASSERT(offsetof(ParDef, ArrayLength) == 131, "ParDef.ArrayLength");
VEK_STATIC_ASSERT(offsetof(ParDef, RealMin) == 132, "ParDef.RealMin");
VEK_STATIC_ASSERT(offsetof(ParDef, RealMax) == 140, "ParDef.RealMax");
VEK_STATIC_ASSERT(offsetof(ParDef, RawValue) == 148, "ParDef.RawValue");
VEK_STATIC_ASSERT(sizeof(ErrorEntry) == 86, "ErrorEntry is 86 bytes");
VEK_STATIC_ASSERT(offsetof(SerialStream, Context) == 1024, "SerialStream.Context");
#  if UINTPTR_MAX == 0xFFFFFFFFu
VEK_STATIC_ASSERT(sizeof(SerialStream) == 1096, "SerialStream is 1096 bytes on 32-bit builds");
VEK_STATIC_ASSERT(offsetof(SerialStream, ResponseTimeout) == 1028, "SerialStream.ResponseTimeout (32-bit)");
VEK_STATIC_ASSERT(offsetof(SerialStream, OnOpened) == 1044, "SerialStream.OnOpened (32-bit)");
VEK_STATIC_ASSERT(offsetof(SerialStream, Open) == 1056, "SerialStream.Open (32-bit)");
VEK_STATIC_ASSERT(offsetof(SerialStream, Purge) == 1092, "SerialStream.Purge (32-bit)");
#  else
VEK_STATIC_ASSERT(sizeof(SerialStream) == 1152, "SerialStream is 1152 bytes on 64-bit builds");
VEK_STATIC_ASSERT(offsetof(SerialStream, ResponseTimeout) == 1032, "SerialStream.ResponseTimeout (64-bit)");
VEK_STATIC_ASSERT(offsetof(SerialStream, OnOpened) == 1048, "SerialStream.OnOpened (64-bit)");
VEK_STATIC_ASSERT(offsetof(SerialStream, Open) == 1072, "SerialStream.Open (64-bit)");
VEK_STATIC_ASSERT(offsetof(SerialStream, Purge) == 1144, "SerialStream.Purge (64-bit)");
#  endif
#undef VEK_STATIC_ASSERT
#endif

#endif /* VEKLIB_H */
