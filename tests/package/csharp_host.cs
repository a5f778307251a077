// A C# host of the library through examples/csharp/Quillpen.cs: every declaration with a
// fixed signature, with arguments that show each one is passed whole (UTF-16 beyond the
// BMP, the ends of the integer types). Writes its session in DIR (stamp mode 0, CR LF) and
// prints what the calls return; the boxes go to standard error.
// Usage: mono csharp_host.exe DIR
using System;

public static class CSharpHost
{
    public static int Main(string[] args)
    {
        if (args.Length != 1) {
            Console.Error.WriteLine("usage: csharp_host DIR");
            return 2;
        }
        if (Quillpen.logInit(args[0], "cs", 0, 0, 0, 5, 0) != 1) return 1;
        Quillpen._log("日本語 😀 100%%");
        Quillpen.log_debug("debug");
        Quillpen.log_info("info");
        Quillpen.log_warning("warning");
        Quillpen.log_error("error");
        Quillpen.log_critical("critical");
        Quillpen.w32_reset_errCode();
        Console.WriteLine("GetLastErr=" + Quillpen.GetLastErr());
        Quillpen.w32_err_log("csharp_host.cs", 2147483647);
        Quillpen.logPut("abcdefghijk", -2147483648, 1, 10);
        Quillpen.logPutHex("é😀", 3, 0, 10);
        Quillpen.logDumpUTF8("a😀", new IntPtr(-1), "pre");
        Quillpen.makeBitStringUSHORT16(0xFFFF, "u16");
        Quillpen.makeBitStringUINT32(0x80000001, "u32");
        Quillpen.makeBitStringUnicodeScalarValue(0x10FFFF, "max");
        Quillpen.msgBox("text", "title");
        Console.WriteLine("msgBoxOkCancel=" + Quillpen.msgBoxOkCancel("日本語", "question"));
        Quillpen.profileTimeStart("lap");
        Quillpen.profileTimeStop();
        Quillpen.logTerm();
        return 0;
    }
}
