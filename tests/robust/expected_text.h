// The library's own texts as the robustness tests expect them in the file and in boxes.
#pragma once

#include <cstdint>
#include <string>

#include "support/session_fixture.h"

namespace robust {

inline const std::string kAlreadyRunningBox =
    "logInitParam(): logInit()で既に初期化済みです、処理せずにリターンします。";

// The frames of the text and hex dumps with CR LF.
inline std::string putStart(int32_t cnt) {
    return "\r\n---------- logPut-start len=" + std::to_string(cnt) + "\r\n";
}
inline const std::string kPutEnd = "\r\n---------- logPut-end!!\r\n";
inline std::string hexStart(int32_t cnt) {
    return "\r\n---------- logPutHex-start len=" + std::to_string(cnt) + "\r\n";
}
inline const std::string kHexEnd = "\r\n---------- logPutHex-end\r\n";

// The decode table of logDumpUTF8 for printable ASCII `text`, with its address masked as
// maskAddresses() does: one column per byte, sixteen to a row.
std::string asciiDecodeTable(const std::string& text, const std::string& prefix);

// Bytes as logPutHex shows them: "%02x " cells, a break after every `perLine`-th byte.
std::string hexCells(const std::string& bytes, int perLine, const std::string& newline);

// The seven rows of makeBitStringUSHORT16 and makeBitStringUINT32, ended by CR LF.
std::string ushortTable(uint16_t value, const std::string& label);
std::string uintTable(uint32_t value, const std::string& label);

}  // namespace robust
