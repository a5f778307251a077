// Each C# declaration without __arglist called with arguments it must pass whole (UTF-16 beyond
// the BMP, integer limits, an IntPtr); its lines found in the log in DIR. Usage: host.exe DIR
using System;
using System.IO;
using System.Linq;
using System.Text.RegularExpressions;

public static class CSharpHost
{
    public static int Main(string[] args)
    {
        if (Quillpen.logInit(args[0], "cs", 0, 0, 0, 5, 0) != 1) return 1;
        Quillpen._log("日本語 😀 100%%");
        foreach (var level in new Action<string>[] { Quillpen.log_debug, Quillpen.log_info,
                                                     Quillpen.log_warning, Quillpen.log_error,
                                                     Quillpen.log_critical })
            level(level.Method.Name);
        Quillpen.w32_reset_errCode();
        uint error = Quillpen.GetLastErr();
        Quillpen.w32_err_log("cs", int.MaxValue);
        Quillpen.logPut("abcdefghijk", int.MinValue, 1, 10);
        Quillpen.logPutHex("é😀", 3, 0, 10);
        Quillpen.logDumpUTF8("a😀", new IntPtr(-1), "pre");
        Quillpen.makeBitStringUSHORT16(0xFFFF, "u16");
        Quillpen.makeBitStringUINT32(0x80000001, "u32");
        Quillpen.makeBitStringUnicodeScalarValue(0x10FFFF, "max");
        Quillpen.msgBox("text", "title");
        int answer = Quillpen.msgBoxOkCancel("日本語", "question");
        Quillpen.profileTimeStart("lap");
        Quillpen.profileTimeStop();
        Quillpen.logTerm();

        string[] lines = Regex.Replace(File.ReadAllText(Directory.GetFiles(args[0]).Single()),
                                       @"addr=\{[0-9A-F]{16}\}|=\d+\.\d{6}\[秒\]", "#").Split('\n');
        string[] missing = new[] {
            "[日本語 😀 100%]", "[log_debug]", "[log_info]", "[log_warning]", "[log_error]",
            "[log_critical]", "[SYSLOG][□--INFO--□] [lap] 経過時間#", "c3 a9 f0 9f 98 80 ",
            "[cs line=2147483647 Win32 ErrCode=0 :The operation completed successfully.]",
            "---------- logPut-start len=-2147483648", "abcdefghij",
            "# prefix={pre} charSet={UTF8(NoBom)} size(BYTE)=5", "|   ff   |   ff   |   HEX=0xffff",
            "61 f0 9f 98 80          |                        |a😀..   |        | 000005 0x0005",
            "|   01   |   00   |   00   |   80   |  HEX=0x80000001",
            "|********|  0x10  |  0xff  |  0xff  |  SCALAR-HEX(UINT32)=0x0010ffff",
        }.Where(line => !lines.Contains(line + "\r")).ToArray();
        Console.WriteLine("GetLastErr={0} msgBoxOkCancel={1}; not in the log: [{2}]", error,
                          answer, string.Join("] [", missing));
        return error == 0 && answer == 1 && missing.Length == 0 ? 0 : 1;
    }
}
