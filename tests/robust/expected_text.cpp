#include "robust/expected_text.h"

#include <algorithm>
#include <cstdio>

namespace robust {
namespace {
std::string printed(const char* format, unsigned value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string bits(unsigned byte) {
    std::string out;
    for (int bit = 7; bit >= 0; --bit) out += (byte >> bit) & 1 ? '1' : '0';
    return out;
}
}  // namespace

std::string asciiDecodeTable(const std::string& text, const std::string& prefix) {
    const std::string separator = std::string(83, '-') + "\r\n";
    const size_t size = text.size();
    std::string out = separator + "addr={################} prefix={" + prefix +
                      "} charSet={UTF8(NoBom)} size(BYTE)=" + std::to_string(size) + "\r\n" +
                      "00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec "
                      "  Hex\r\n" +
                      separator;
    for (size_t row = 0; row * 16 < size; ++row) {
        std::string hex, characters;
        for (size_t k = 0; k < 16; ++k) {
            const size_t at = row * 16 + k;
            if (k == 8) {
                hex += "|";
                characters += "|";
            }
            hex += at < size ? printed("%02x ", static_cast<unsigned char>(text[at])) : "   ";
            characters += at < size ? text[at] : ' ';
        }
        const unsigned done = static_cast<unsigned>(std::min(size, row * 16 + 16));
        out += hex + "|" + characters + "|" + printed(" %06u", done) + printed(" 0x%04x", done) +
               "\r\n";
    }
    return out + separator;
}

std::string hexCells(const std::string& bytes, int perLine, const std::string& newline) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char cell[8];
        std::snprintf(cell, sizeof cell, "%02x ", static_cast<unsigned char>(bytes[i]));
        out += cell;
        if ((i + 1) % static_cast<size_t>(perLine) == 0) out += newline;
    }
    return out;
}

std::string ushortTable(uint16_t value, const std::string& label) {
    const std::string border = "+-----------------+\r\n";
    const unsigned b0 = value & 0xFF, b1 = value >> 8;
    return border + "|    0   |    1   |  [" + label + "]\r\n" + border + "|   " +
           printed("%02x", b0) + "   |   " + printed("%02x", b1) + "   |   HEX=0x" +
           printed("%04x", value) + "\r\n" + border + "|" + bits(b0) + "|" + bits(b1) +
           "|   UTF16_LE Bit Pattern!\r\n" + border;
}

std::string uintTable(uint32_t value, const std::string& label) {
    const std::string border = "+-----------------------------------+\r\n";
    std::string hex = "|", bitRow = "|";
    for (int k = 0; k < 4; ++k) {
        const unsigned byte = (value >> (8 * k)) & 0xFF;
        hex += "   " + printed("%02x", byte) + "   |";
        bitRow += bits(byte) + "|";
    }
    return border + "|    0   |    1   |    2   |    3   |  [" + label + "]\r\n" + border + hex +
           "  HEX=0x" + printed("%08x", value) + "\r\n" + border + bitRow +
           "  UTF32_LE Bit Pattern!\r\n" + border;
}

}  // namespace robust
