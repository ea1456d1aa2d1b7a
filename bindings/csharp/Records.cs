// The library's records as .NET structs. VekStruct, ParDef and ErrorEntry
// are packed and the same on every build; SerialStream keeps natural
// alignment, so its slots are IntPtr: 1096 bytes in a 32-bit process, 1152
// in a 64-bit one. Texts are UTF-16, as the library's.
// Copyright 2026 the VekLib developers
using System;
using System.Runtime.InteropServices;

namespace VekLib
{
    [StructLayout(LayoutKind.Sequential, Pack = 1, CharSet = CharSet.Unicode)]
    public struct VekStruct
    {
        public int DeviceKind;
        public byte HardwareMajor;
        public byte HardwareMinor;
        public ushort HardwareVersion;
        public byte SoftwareHigh;
        public byte SoftwareMid;
        public byte SoftwareLow;
        public uint SoftwareVersion;
        public ushort UserVersion;
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 10)] public string SerialDate;
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 10)] public string SerialNumber;
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 20)] public string PpsNumber;
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 20)] public string BoardNumber;
        /// <summary>256 pairs of minimum and maximum: [2 * i] and [2 * i + 1].</summary>
        [MarshalAs(UnmanagedType.ByValArray, SizeConst = 512)] public int[] IntCodeTable;
        public ushort IntCodeCount;
        public ushort Features;
        public ushort ErrorMemoryFormat;
        public ushort ErrorMemoryAux;
        public ushort ErrorArgCount;
        [MarshalAs(UnmanagedType.ByValArray, SizeConst = 16)] public uint[] ErrorArgIds;
        public byte ErrorsCurrent;
        public ushort ChecksumReplyLength;
        [MarshalAs(UnmanagedType.ByValArray, SizeConst = 106)] public byte[] ChecksumReply;
    }

    [StructLayout(LayoutKind.Sequential, Pack = 1, CharSet = CharSet.Unicode)]
    public struct ParDef
    {
        public uint Id;
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 50)] public string Name;
        public int Min;
        public int Max;
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 8)] public string Unit;
        public byte IntCode;
        public byte Format;
        public byte ArrayIndex;
        public byte ArrayLength;
        public double RealMin;
        public double RealMax;
        public ushort RawValue;
        [MarshalAs(UnmanagedType.ByValArray, SizeConst = 4)] public byte[] Reserved;
    }

    [StructLayout(LayoutKind.Sequential, Pack = 1)]
    public struct ErrorEntry
    {
        public uint Id;
        public uint Time1;
        public uint Time2;
        public ushort Count;
        public ushort Word1;
        public ushort Word2;
        [MarshalAs(UnmanagedType.ByValArray, SizeConst = 16)] public ushort[] Args;
        public ushort Word3;
        public ushort Word4;
        [MarshalAs(UnmanagedType.ByValArray, SizeConst = 16)] public ushort[] Args2;
    }

    /// <summary>The stream record; each slot is a function pointer (cdecl) or zero.</summary>
    [StructLayout(LayoutKind.Sequential, CharSet = CharSet.Unicode)]
    public struct SerialStream
    {
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 512)] public string Config;
        public IntPtr Context;
        public int ResponseTimeout;
        public int LongTimeout;
        public int StartupWait;
        public int EraseTimeout;
        public IntPtr OnOpened;
        public IntPtr TranslateHook;
        public IntPtr RequestBaudRate;
        public IntPtr Open;
        public IntPtr IsOpen;
        public IntPtr Close;
        public IntPtr Configure;
        public IntPtr Write;
        public IntPtr Read;
        public IntPtr GetTimeout;
        public IntPtr SetTimeout;
        public IntPtr ChangeBaudRate;
        public IntPtr Purge;
    }

    /// <summary>Slots of VekSetCallback.</summary>
    public enum CallbackType : uint
    {
        Status = 0,
        FirmwareProgress = 1,
        Progress = 2,
        Idle = 3,
        Error = 4,
        Question = 5,
        ImportantError = 6,
        Translate = 7,
    }

    // The callback types; each receives the user data first.
    [UnmanagedFunctionPointer(CallingConvention.Cdecl, CharSet = CharSet.Unicode)]
    public delegate void StatusCallback(IntPtr user, string text);
    [UnmanagedFunctionPointer(CallingConvention.Cdecl, CharSet = CharSet.Unicode)]
    public delegate void ProgressCallback(IntPtr user, string text, ushort value);
    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    public delegate void IdleCallback(IntPtr user);
    [UnmanagedFunctionPointer(CallingConvention.Cdecl, CharSet = CharSet.Unicode)]
    public delegate int QuestionCallback(IntPtr user, string text);
    [UnmanagedFunctionPointer(CallingConvention.Cdecl, CharSet = CharSet.Unicode)]
    public delegate void TranslateCallback(IntPtr user, string text, IntPtr out512);
}
