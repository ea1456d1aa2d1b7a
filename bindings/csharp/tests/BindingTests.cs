// Tests of the C# binding against the library and a simulated governor:
//   mono BindingTests.exe PORT EXPORTS_FILE WORK_FOLDER
// Prints one line per test and "N passed, N failed" at the end.
// Copyright 2026 the VekLib developers
using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Reflection;
using System.Runtime.InteropServices;
using VekLib;

static class BindingTests
{
    const string OutOfRangeLine = "Parameter value is out of range [99999] => 1: IdleSpeed  [400 .. 1500]";
    static int passed, failed;

    static void Expect(bool condition, string what)
    {
        if (!condition) throw new Exception("expected " + what);
    }

    static void Test(string name, Action body)
    {
        try
        {
            body();
            ++passed;
            Console.WriteLine("PASS " + name);
        }
        catch (Exception error)
        {
            ++failed;
            Console.WriteLine("FAIL " + name + ": " + error);
        }
    }

    static T Throws<T>(Action body) where T : Exception
    {
        try { body(); }
        catch (T error) { return error; }
        throw new Exception("expected " + typeof(T).Name);
    }

    static int Main(string[] args)
    {
        string port = args[0], exportsFile = args[1], work = args[2];

        Test("declares every export of the library, and nothing else", () =>
        {
            var declared = typeof(NativeMethods).GetMethods(BindingFlags.Public | BindingFlags.Static)
                .Where(m => m.GetCustomAttribute<DllImportAttribute>() != null).Select(m => m.Name);
            var exports = File.ReadAllLines(exportsFile).Where(l => l.Length > 0);
            var missing = exports.Except(declared).ToList();
            var extra = declared.Except(exports).ToList();
            Expect(missing.Count == 0 && extra.Count == 0,
                   "the export list; missing [" + string.Join(" ", missing) + "] extra [" + string.Join(" ", extra) + "]");
        });

        Test("records have the library's layout", () =>
        {
            Expect(Marshal.SizeOf<VekStruct>() == 2368, "VekStruct of 2368 bytes");
            Expect((int)Marshal.OffsetOf<VekStruct>("IntCodeTable") == 137, "IntCodeTable at 137");
            Expect((int)Marshal.OffsetOf<VekStruct>("ChecksumReply") == 2262, "ChecksumReply at 2262");
            Expect(Marshal.SizeOf<ParDef>() == 154, "ParDef of 154 bytes");
            Expect((int)Marshal.OffsetOf<ParDef>("RealMin") == 132, "RealMin at 132");
            Expect(Marshal.SizeOf<ErrorEntry>() == 86, "ErrorEntry of 86 bytes");
            bool wide = IntPtr.Size == 8;
            Expect(Marshal.SizeOf<SerialStream>() == (wide ? 1152 : 1096), "SerialStream of this process's width");
            Expect((int)Marshal.OffsetOf<SerialStream>("Open") == (wide ? 1072 : 1056), "SerialStream.Open");
        });

        Test("texts travel as UTF-16 both ways", () =>
        {
            // Four-byte characters would end both texts after "a"; narrowed ones make both signs "?".
            Expect(NativeMethods.VekStrSimilarity("ab", "ac") == 0.5, "two characters each, one alike");
            Expect(NativeMethods.VekStrSimilarity("\u20ac", "\u20ad") == 0.0, "two different signs");
        });

        Test("connects, reads, sets and refuses with the library's reason", () =>
        {
            using (Governor gov = Governor.Connect(port))
            {
                VekStruct info = gov.Info;
                Expect(info.DeviceKind == 3 && info.SerialNumber == "00042", "the simulated governor's record");
                ParDef idle = gov.Definition("idlespeed");
                Expect(idle.Id == 1 && idle.Unit == "rpm" && idle.RealMax == 1500.0, "IdleSpeed by name");
                Value set = gov.Set("IdleSpeed", "800");
                Expect(set.Text == "800" && set.Raw == 800 && set.Real == 800.0, "the value set");
                VekException refused = Throws<VekException>(() => gov.Set(1, "99999"));
                Expect(refused.Reason == OutOfRangeLine, "the library's line, got '" + refused.Reason + "'");
                Expect(gov.Get("IdleSpeed").Text == "800", "the value kept after the refusal");
                Throws<KeyNotFoundException>(() => gov.Get("NoSuchName"));
            }
        });

        Test("one connection per process", () =>
        {
            using (Governor first = Governor.Connect(port))
            {
                VekException second = Throws<VekException>(() => Governor.Connect(port));
                Expect(second.Reason.Contains("already has an open connection"), "the reason");
                Expect(first.Get(1).Unit == "rpm", "the first connection still works");
            }
            using (Governor again = Governor.Connect(port)) Expect(again.Info.DeviceKind == 3, "a new connection after Dispose");
        });

        Test("save, load, and the merge question's exception after the call", () =>
        {
            using (Governor gov = Governor.Connect(port))
            {
                string saved = Path.Combine(work, "csharp.prm");
                gov.Set("IdleSpeed", "900");
                gov.Save(saved);
                gov.Set("IdleSpeed", "700");
                gov.Load(saved);
                Expect(gov.Get("IdleSpeed").Text == "900", "the saved value back");

                VekStruct info = gov.Info;
                string moved = Path.Combine(work, "csharp-moved.prm");
                File.WriteAllText(moved, "[HW]\n" + info.HardwareVersion + "\n[SW]\n" + info.SoftwareVersion +
                                  "\n[UW]\n0\n[Werte]\n    99 IdleSpeed = 750\n");
                var asked = new List<string>();
                gov.Load(moved, question => { asked.Add(question); return true; });
                Expect(asked.Count == 1 && gov.Get("IdleSpeed").Text == "750", "one question, then the merge");
                var thrown = Throws<InvalidOperationException>(() =>
                    gov.Load(moved, question => { throw new InvalidOperationException("from the callback"); }));
                Expect(thrown.Message == "from the callback", "the callback's own exception");
            }
        });

        Console.WriteLine(passed + " passed, " + failed + " failed");
        return failed == 0 ? 0 : 1;
    }
}
