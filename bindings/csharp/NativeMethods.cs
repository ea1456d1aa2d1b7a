// P/Invoke declarations of every export of the library: cdecl, texts as
// UTF-16 (CharSet.Unicode), records handed out by pointer as IntPtr (read
// them with Marshal.PtrToStructure). The library is "VekLib": VekLib.dll on
// Windows, libVekLib.so.3 elsewhere (VekLib.Net.dll.config maps the name).
// Copyright 2026 the VekLib developers
using System;
using System.Runtime.InteropServices;

namespace VekLib
{
    public static class NativeMethods
    {
        public const string Library = "VekLib";
        private const CallingConvention Call = CallingConvention.Cdecl;
        private const CharSet Text = CharSet.Unicode;

        // State, callbacks, log
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekSetUserData(IntPtr data);
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekGetUserData();
        [DllImport(Library, CallingConvention = Call)] public static extern void VekSetCallback(uint type, IntPtr function);
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekGetVekStruct();
        [DllImport(Library, CallingConvention = Call)] public static extern uint VekGetLastError();
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekSetLogFile(string name);

        // Connection
        [DllImport(Library, CallingConvention = Call)] public static extern int VekInit();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekClose();
        [DllImport(Library, CallingConvention = Call)] public static extern uint VekSetIdentifier(uint id);
        [DllImport(Library, CallingConvention = Call)] public static extern uint VekGetIdentifier();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekInBootstrapMode();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadIdentification();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekPing();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReconnect();

        // Stream
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekGetStream();
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekConfigureSerialStream(string port, uint baud);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekEnableTimeoutCheck(byte flag);

        // Parameter definitions
        [DllImport(Library, CallingConvention = Call)] public static extern uint VekGetParDefNum();
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekGetParDef(uint id);
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekGetParDefByIndex(uint index);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekExistsParDef(uint id);
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekAddParDef(uint id);
        [DllImport(Library, CallingConvention = Call)] public static extern void VekClearParDefs();
        [DllImport(Library, CallingConvention = Call)] public static extern void VekValidateAllParDefs();
        [DllImport(Library, CallingConvention = Call)] public static extern void VekBackupParDefs();
        [DllImport(Library, CallingConvention = Call)] public static extern void VekRestoreParDefs();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadAllParDef();
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern IntPtr VekFindParDefByName(string name, uint kindMask);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern double VekStrSimilarity(string a, string b);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern IntPtr VekFindParDefBySimilarity(string name, uint start, ushort percent);

        // Values
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadRawValue(uint id);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekWriteRawValue(uint id, ushort value);
        [DllImport(Library, CallingConvention = Call)] public static extern void VekDirectSet(byte flag);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekFormatValue(uint id, double value, [Out] char[] text, ushort capacity);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekGetValue(uint id, [Out] char[] text, ushort capacity);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekGetValueMinMax(uint id, [Out] char[] low, ushort lowCapacity, [Out] char[] high, ushort highCapacity);
        /// <summary>text holds 256 characters.</summary>
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekGetValueRange(uint id, [Out] char[] text);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekSetValue(uint id, string text);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekConvertToRealValue(uint id, ushort raw, out double value);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekGetRealValue(uint id, out double value);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekGetRealValues(uint count, uint[] ids, [Out] double[] values);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekSetTimedList(byte list, uint count, uint[] ids);
        [DllImport(Library, CallingConvention = Call)] public static extern void VekGetTimedList(byte list, out uint count, out IntPtr ids);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadTimedList(byte list, out uint stamp, [Out] double[] values);
        // Group reads: 0 success; 1, 2 or 3 failure.
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadParameterValues();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadMeasurementValues();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadFunctionValues();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadCurveValues();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadAllValues();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekWriteAllValues();

        // Parameter files
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekUploadPrmFile(string path, int tolerant);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekUploadPrmFileExt(string path, int includeMeasurements, int tolerant);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekUploadPrmBuffer(byte[] data, uint size, int tolerant);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekUploadPrmBufferExt(byte[] data, uint size, int includeMeasurements, int tolerant);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekDownloadPrmFile(string path);
        /// <summary>size: the buffer's capacity in, the length written out.</summary>
        [DllImport(Library, CallingConvention = Call)] public static extern int VekDownloadPrmBuffer([Out] byte[] buffer, ref int size);
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekDownloadRawPrmFile(string path, int withValues);

        // Firmware
        [DllImport(Library, CallingConvention = Call)] public static extern int VekEraseFirmware();
        [DllImport(Library, CallingConvention = Call, CharSet = Text)] public static extern int VekUploadFirmwareFromFile(string path);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekUploadFirmwareFromBuffer(byte[] data, uint size);

        // Service commands and parameter pages
        [DllImport(Library, CallingConvention = Call)] public static extern int VekStore();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReset();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekStartClickTest();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekStopClickTest();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekActuatorAutoAdjust();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekClearOperatingData();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekParamPagesFeatureAvailable();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekGetActiveParamPage(out int page);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekActivateParamPage(ushort page);

        // Errors
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadActualErrors();
        [DllImport(Library, CallingConvention = Call)] public static extern uint VekGetPendingErrorsNum();
        [DllImport(Library, CallingConvention = Call)] public static extern uint VekGetPendingErrorId(uint index);
        [DllImport(Library, CallingConvention = Call)] public static extern ushort VekGetPendingErrorOldValue(uint index);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekConfigureErrorMemoryArgs(int count, int[] values);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekReadErrorMemory();
        [DllImport(Library, CallingConvention = Call)] public static extern int VekAcknowledgeErrorMemoryItem(uint word1, uint word2);
        [DllImport(Library, CallingConvention = Call)] public static extern int VekEraseErrorMemory();
        [DllImport(Library, CallingConvention = Call)] public static extern uint VekGetErrorEntriesNum();
        [DllImport(Library, CallingConvention = Call)] public static extern IntPtr VekGetErrorEntryByIndex(uint index);
    }
}
