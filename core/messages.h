// Every text the session and the line writer show or write, byte for byte, in one place.
#pragma once

#include <cstdint>

#include "quillpen.h"

namespace quillpen::msg {

// Boxes of logInit and logOpen: text, then title.
inline constexpr auto kAlreadyInit =
    QP_TEXT("logInit()で既に初期化済みです、処理せずにリターンします。");
inline constexpr auto kAlreadyInitTitle = QP_TEXT("logInitParam()");
inline constexpr auto kInitFatal =
    QP_TEXT("[FATAL] logInit() Error!  log file is not open! Check path=%s");
inline constexpr auto kInitFatalTitle = QP_TEXT("logInit() Fatal Error! Not Running!");
inline constexpr auto kInitNoMemory =
    QP_TEXT("[FATAL] logInit() Error!  out of memory, log file is not open!");
inline constexpr auto kDirPathNotFound =
    QP_TEXT("[FATAL] %s ERROR_PATH_NOT_FOUND CreateDirectory : %s");
inline constexpr auto kDirCreateFailed =
    QP_TEXT("[FATAL] path={%s} CreateDirectory ディレクトリを作成できません: %s");
inline constexpr auto kDirCheckTitle = QP_TEXT("createDirCheck()");
inline constexpr auto kDirCheckFailed =
    QP_TEXT("createDirCheckがエラー pathが間違っていませんか? path={%s}");
inline constexpr auto kDirCheckFailedTitle = QP_TEXT("logOpen() createDirCheck() Error!");
inline constexpr auto kOpenFailed = QP_TEXT("[FATAL] Log file open Error! %s %s");
inline constexpr auto kOpenFailedTitle = QP_TEXT("[Brantex]quillpen logOpen() line=%d");
inline constexpr auto kFileNameTooLong =
    QP_TEXT("[FATAL] logOpen() log file name is longer than %d units! path={%s} prefix={%s}");
inline constexpr auto kFileNameTooLongTitle = QP_TEXT("logOpen()");
inline constexpr auto kErrorText = QP_TEXT("%s line=%d Win32 ErrCode=%d :%s");

// The line numbers that messages print are part of the log format, as stored files and the
// tools that read them have them: they name no line of this source.
inline constexpr int32_t kDirNotFoundLine = 319;  // kErrorText of a missing parent directory
inline constexpr int32_t kDirCreateLine = 326;    // kErrorText of any other directory failure
inline constexpr int32_t kOpenErrorLine = 177;    // kErrorText of a file that did not open
inline constexpr int32_t kOpenTitleLine = 179;    // kOpenFailedTitle
inline constexpr auto kDirCheckLabel = QP_TEXT("createDirCheck()");
inline constexpr auto kOpenLabel = QP_TEXT("quillpen");

// The LOG_SLEEP notice: 90 bytes, no terminator.
inline constexpr char kSleepNotice[] =
    "##### LOG_SLEEP Switch ON! No save logs...  logInit() No.5 Param 0 Set to start Log! #####";

// Start and end lines of a session.
inline constexpr auto kStartLine = QP_TEXT("--- [%s] start Log={%s} ---");
inline constexpr auto kEndLine = QP_TEXT("--- [%s] end Log. ---");

// bufSizCheck.
inline constexpr auto kSizeBox = QP_TEXT("func={%s} maxSize=%d dataSize=%d");
inline constexpr auto kSizeBoxTitle = QP_TEXT("[■--ERROR--■] bufSizCheck 続行不可能!");
inline constexpr auto kSizeLine = QP_TEXT("func={%s} buf size over max=%d  user data size=%d");
inline constexpr auto kNullText = QP_TEXT("func={%s} NULLポインタです、処理せずにリターンします。");

// The line writer.
inline constexpr auto kLineTooLong =
    QP_TEXT("quillpen line=%dlogWrite文字列長が8100バイトを超えました、ログ出力できません");
inline constexpr int32_t kLineTooLongLine = 879;
inline constexpr auto kMessageTooLong =
    QP_TEXT("func={%s} 展開後の行が%d文字を超えました、ログ出力できません");

// Argument labels.
inline constexpr auto kLogInitPath = QP_TEXT("logInit() path");
inline constexpr auto kLogInitPrefix = QP_TEXT("logInit() prefix");
inline constexpr auto kLogFormat = QP_TEXT("_log() format");
inline constexpr auto kSyslogFormat = QP_TEXT("log_critical() format");
inline constexpr auto kErrTextLabel = QP_TEXT("w32_err_fmtMsg() file_fnc");

}  // namespace quillpen::msg
