// P/Invoke declarations for quillpen.dll (64-bit Windows). Put quillpen.dll beside the
// program or on PATH, and add this file to the project. The name "quillpen" also finds
// libquillpen.so under Mono on Linux (on LD_LIBRARY_PATH), for the calls without __arglist.
//
//     if (Quillpen.logInit(@"C:\logs", "app", 8192, 0, 0, 5, 0) == 0) return;
//     Quillpen._log("started");                              // a format with no arguments
//     Quillpen._log("count=%d of %lld", __arglist(5, 12L));  // int: %d, long: %lld
//     Quillpen.log_info("ratio=%lf", __arglist(0.5));        // double: %lf
//     IntPtr name = Marshal.StringToHGlobalUni("日本語");     // %s takes UTF-16 text
//     try { Quillpen._log("name=%s", __arglist(name)); }
//     finally { Marshal.FreeHGlobal(name); }
//     Quillpen.logTerm();                                    // C:\logs\app20261205.log
//
// Strings are passed as NUL-terminated UTF-16 (CharSet.Unicode). The formatted functions
// are variadic: call them with a format alone (write "%%" for a percent sign), or with
// __arglist. Arguments in __arglist are not marshalled: pass int (%d), long (%lld),
// double (%lf) and, for %s, an IntPtr to UTF-16 text that stays alive for the call
// (%hs takes an IntPtr to NUL-terminated bytes). __arglist calls run under .NET on Windows
// only.
// Limits and the reports of refused arguments are described in include/quillpen.h.
using System;
using System.Runtime.InteropServices;

public static class Quillpen
{
    const string Dll = "quillpen";

    // Session. Returns 1 when the session runs, 0 after a message box that says why.
    [DllImport(Dll, EntryPoint = "logInit", CharSet = CharSet.Unicode)]
    public static extern int logInit(string path, string prefix, int stampMode,
                                     int newlineMode, int logSleep, int logLevel, int bom);

    [DllImport(Dll, EntryPoint = "logTerm")]
    public static extern void logTerm();

    // Time-stamped lines: _log whatever the level; the others at logLevel 5 down to 1.
    [DllImport(Dll, EntryPoint = "_log", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void _log(string format);

    [DllImport(Dll, EntryPoint = "_log", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void _log(string format, __arglist);

    [DllImport(Dll, EntryPoint = "log_debug", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_debug(string format);

    [DllImport(Dll, EntryPoint = "log_debug", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_debug(string format, __arglist);

    [DllImport(Dll, EntryPoint = "log_info", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_info(string format);

    [DllImport(Dll, EntryPoint = "log_info", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_info(string format, __arglist);

    [DllImport(Dll, EntryPoint = "log_warning", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_warning(string format);

    [DllImport(Dll, EntryPoint = "log_warning", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_warning(string format, __arglist);

    [DllImport(Dll, EntryPoint = "log_error", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_error(string format);

    [DllImport(Dll, EntryPoint = "log_error", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_error(string format, __arglist);

    [DllImport(Dll, EntryPoint = "log_critical", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_critical(string format);

    [DllImport(Dll, EntryPoint = "log_critical", CharSet = CharSet.Unicode,
               CallingConvention = CallingConvention.Cdecl)]
    public static extern void log_critical(string format, __arglist);

    // The calling thread's Win32 last-error code. The runtime may change it between calls:
    // log or read it right after the call that set it.
    [DllImport(Dll, EntryPoint = "w32_err_log", CharSet = CharSet.Unicode)]
    public static extern void w32_err_log(string file_fnc, int line);

    [DllImport(Dll, EntryPoint = "GetLastErr")]
    public static extern uint GetLastErr();

    [DllImport(Dll, EntryPoint = "w32_reset_errCode")]
    public static extern void w32_reset_errCode();

    // Dumps of a text's UTF-8 bytes: raw lines, hex lines, a decode table (n is not read).
    [DllImport(Dll, EntryPoint = "logPut", CharSet = CharSet.Unicode)]
    public static extern void logPut(string data, int cnt, byte withMarkers, int newLineCnt);

    [DllImport(Dll, EntryPoint = "logPutHex", CharSet = CharSet.Unicode)]
    public static extern void logPutHex(string data, int cnt, byte withMarkers, int newLineCnt);

    [DllImport(Dll, EntryPoint = "logDumpUTF8", CharSet = CharSet.Unicode)]
    public static extern void logDumpUTF8(string data, IntPtr n, string prefix);

    // Bit tables.
    [DllImport(Dll, EntryPoint = "makeBitStringUSHORT16", CharSet = CharSet.Unicode)]
    public static extern void makeBitStringUSHORT16(ushort value, string prefix);

    [DllImport(Dll, EntryPoint = "makeBitStringUINT32", CharSet = CharSet.Unicode)]
    public static extern void makeBitStringUINT32(uint value, string prefix);

    [DllImport(Dll, EntryPoint = "makeBitStringUnicodeScalarValue", CharSet = CharSet.Unicode)]
    public static extern void makeBitStringUnicodeScalarValue(uint scalar, string prefix);

    // Message boxes; msgBoxOkCancel returns 1 (OK), 2 (Cancel) or 0 (refused or failed).
    [DllImport(Dll, EntryPoint = "msgBox", CharSet = CharSet.Unicode)]
    public static extern void msgBox(string msg, string ttl);

    [DllImport(Dll, EntryPoint = "msgBoxOkCancel", CharSet = CharSet.Unicode)]
    public static extern int msgBoxOkCancel(string msg, string ttl);

    // The stopwatch: each stop writes an INFO [SYSLOG] line with the seconds since the start.
    [DllImport(Dll, EntryPoint = "profileTimeStart", CharSet = CharSet.Unicode)]
    public static extern void profileTimeStart(string prefix);

    [DllImport(Dll, EntryPoint = "profileTimeStop")]
    public static extern void profileTimeStop();
}
