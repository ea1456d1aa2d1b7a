// The idiomatic face of the binding: one Governor per process (the library
// keeps one connection), values by number or name, and VekException with the
// lines the library logged for the failed call.
// Copyright 2026 the VekLib developers
using System;
using System.Collections.Generic;
using System.IO;
using System.Runtime.ExceptionServices;
using System.Runtime.InteropServices;
using System.Text;
using System.Text.RegularExpressions;

namespace VekLib
{
    /// <summary>A failed library call; Reason holds the library's log lines for it.</summary>
    public class VekException : Exception
    {
        public VekException(string operation, string reason, uint status)
            : base(operation + " failed: " + (reason.Length > 0 ? reason
                   : string.Format("the library logged no reason (governor status 0x{0:X4})", status)))
        {
            Operation = operation;
            Reason = reason;
            Status = status;
        }

        public string Operation { get; private set; }
        public string Reason { get; private set; }
        public uint Status { get; private set; }
    }

    /// <summary>One value read or set: display text, real value and raw word.</summary>
    public sealed class Value
    {
        public uint Number { get; internal set; }
        public string Name { get; internal set; }
        public string Text { get; internal set; }
        public double Real { get; internal set; }
        public ushort Raw { get; internal set; }
        public string Unit { get; internal set; }
    }

    public sealed class Governor : IDisposable
    {
        public const uint DefaultBaud = 115200;
        private const uint AllKinds = 0xFF;
        private const ushort TextCapacity = 256;
        private const int GroupReadOk = 0;
        // "06.12.26 19:23:05: " before every log line.
        private static readonly Regex LogStamp = new Regex(@"^\d{2}\.\d{2}\.\d{2} \d{2}:\d{2}:\d{2}: ");
        // The log file is 8-bit text, one byte per character.
        private static readonly Encoding LogEncoding = Encoding.GetEncoding("iso-8859-1");
        private static readonly object OpenLock = new object();
        private static Governor open;

        private readonly string logPath;
        private readonly QuestionCallback questionTrampoline;
        private Func<string, bool> merge;
        private Exception kept;
        private bool definitionsRead;
        private bool disposed;

        private Governor(string logPath)
        {
            this.logPath = logPath;
            questionTrampoline = AnswerQuestion;
        }

        /// <summary>Connects to the governor on port; VekException when that fails
        /// or another Governor of this process is still open.</summary>
        public static Governor Connect(string port, uint baud = DefaultBaud)
        {
            Governor governor;
            lock (OpenLock)
            {
                if (open != null)
                {
                    throw new VekException("connect to " + port,
                        "this process already has an open connection (the library holds one per process); dispose it first", 0);
                }
                governor = new Governor(Path.GetTempFileName());
                open = governor;
            }
            try
            {
                NativeMethods.VekSetLogFile(governor.logPath);
                NativeMethods.VekSetCallback((uint)CallbackType.Question,
                    Marshal.GetFunctionPointerForDelegate(governor.questionTrampoline));
                governor.Check("configure " + port, NativeMethods.VekConfigureSerialStream(port, baud) != 0, 0);
                long start = governor.LogLength();
                governor.Check("connect to " + port, NativeMethods.VekInit() != 0, start);
            }
            catch
            {
                governor.Dispose();
                throw;
            }
            return governor;
        }

        public VekStruct Info
        {
            get { return Marshal.PtrToStructure<VekStruct>(NativeMethods.VekGetVekStruct()); }
        }

        /// <summary>All definitions, downloaded at the first use.</summary>
        public IList<ParDef> Definitions
        {
            get
            {
                EnsureDefinitions();
                var all = new List<ParDef>();
                for (uint i = 0; i < NativeMethods.VekGetParDefNum(); ++i)
                {
                    all.Add(Marshal.PtrToStructure<ParDef>(NativeMethods.VekGetParDefByIndex(i)));
                }
                return all;
            }
        }

        public ParDef Definition(string name) { return Marshal.PtrToStructure<ParDef>(Find(name)); }
        public ParDef Definition(uint number) { return Marshal.PtrToStructure<ParDef>(Find(number)); }

        public Value Get(string name) { return Get(Definition(name).Id); }
        public Value Get(uint number)
        {
            string label = Label(Find(number));
            Run("read " + label, () => NativeMethods.VekReadRawValue(number) != 0);
            return CachedValue(number);
        }

        public Value Set(string name, string text) { return Set(Definition(name).Id, text); }
        public Value Set(uint number, string text)
        {
            string label = Label(Find(number));
            Run("set " + label + " to " + text, () => NativeMethods.VekSetValue(number, text) != 0);
            return CachedValue(number);
        }

        public void Save(string path)
        {
            EnsureDefinitions();
            Run("save " + path, () => NativeMethods.VekDownloadPrmFile(path) != 0);
        }

        /// <summary>Loads a parameter file after reading the governor's values (so
        /// that what the file does not name keeps its value). With merge, lines
        /// whose number and name differ are matched by name once merge agrees.</summary>
        public void Load(string path, Func<string, bool> merge = null)
        {
            EnsureDefinitions();
            Run("read the values before loading", () => NativeMethods.VekReadAllValues() == GroupReadOk);
            this.merge = merge;
            try
            {
                Run("load " + path, () => NativeMethods.VekUploadPrmFileExt(path, 0, merge != null ? 1 : 0) != 0);
            }
            finally
            {
                this.merge = null;
            }
        }

        public void Dispose()
        {
            if (disposed) return;
            disposed = true;
            NativeMethods.VekClose();
            NativeMethods.VekSetCallback((uint)CallbackType.Question, IntPtr.Zero);
            NativeMethods.VekSetLogFile("");
            File.Delete(logPath);
            lock (OpenLock) open = null;
        }

        private void EnsureDefinitions()
        {
            if (definitionsRead) return;
            Run("download definitions", () => NativeMethods.VekReadAllParDef() != 0);
            definitionsRead = true;
        }

        private IntPtr Find(string name)
        {
            EnsureDefinitions();
            IntPtr record = NativeMethods.VekFindParDefByName(name, AllKinds);
            if (record == IntPtr.Zero) throw new KeyNotFoundException("no definition named " + name);
            return record;
        }

        private IntPtr Find(uint number)
        {
            EnsureDefinitions();
            IntPtr record = NativeMethods.VekGetParDef(number);
            if (record == IntPtr.Zero) throw new KeyNotFoundException("no definition numbered " + number);
            return record;
        }

        private static string Label(IntPtr record)
        {
            ParDef definition = Marshal.PtrToStructure<ParDef>(record);
            return definition.Id + " " + definition.Name;
        }

        private Value CachedValue(uint number)
        {
            ParDef definition = Marshal.PtrToStructure<ParDef>(Find(number));
            var text = new char[TextCapacity];
            Run("format " + Label(Find(number)), () => NativeMethods.VekGetValue(number, text, TextCapacity) != 0);
            double real = 0;
            Run("convert " + Label(Find(number)), () => NativeMethods.VekGetRealValue(number, out real) != 0);
            return new Value
            {
                Number = number, Name = definition.Name, Text = UpToZero(text), Real = real,
                Raw = definition.RawValue, Unit = definition.Unit,
            };
        }

        // Runs one library call; a callback's exception comes first, then the
        // library's reason when the call failed.
        private void Run(string operation, Func<bool> call)
        {
            if (disposed) throw new ObjectDisposedException("Governor");
            long start = LogLength();
            kept = null;
            bool succeeded = call();
            Exception callbackError = kept;
            kept = null;
            if (callbackError != null) ExceptionDispatchInfo.Capture(callbackError).Throw();
            Check(operation, succeeded, start);
        }

        private void Check(string operation, bool succeeded, long start)
        {
            if (!succeeded) throw new VekException(operation, LoggedSince(start), NativeMethods.VekGetLastError());
        }

        private int AnswerQuestion(IntPtr user, string question)
        {
            try
            {
                return merge != null && merge(question) ? 1 : 0;
            }
            catch (Exception error)
            {
                // Never into the C code: kept and reported once the call returns.
                if (kept == null) kept = error;
                return 0;
            }
        }

        private long LogLength()
        {
            var file = new FileInfo(logPath);
            return file.Exists ? file.Length : 0;
        }

        private string LoggedSince(long start)
        {
            byte[] data = File.Exists(logPath) ? File.ReadAllBytes(logPath) : new byte[0];
            int from = data.Length >= start ? (int)start : 0;
            var lines = new List<string>();
            foreach (string line in LogEncoding.GetString(data, from, data.Length - from).Split('\n'))
            {
                string text = LogStamp.Replace(line.TrimEnd('\r'), "");
                if (text.Length > 0) lines.Add(text);
            }
            return string.Join("\n", lines);
        }

        private static string UpToZero(char[] text)
        {
            int end = Array.IndexOf(text, '\0');
            return new string(text, 0, end < 0 ? text.Length : end);
        }
    }
}
