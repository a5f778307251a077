#include "support/session_fixture.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>

#include "core/session.h"
#include "platform/seams.h"
#include "text/utf.h"

namespace {
std::vector<std::string> gBoxes;
int gBoxAnswer = 1;
long long gTicks = 0;

std::vector<std::string> gWrites;
Fault gFault = Fault::DiskFull;
int gFirst = 0;
int gLast = 0;

int captureBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    char title[4096], body[16384];
    quillpen::utf16ToUtf8(caption, title, sizeof title);
    quillpen::utf16ToUtf8(text, body, sizeof body);
    gBoxes.push_back(std::string(title) + ": " + body);
    return gBoxAnswer;
}

bool failing(size_t index) {
    return static_cast<int>(index) >= gFirst && static_cast<int>(index) < gLast;
}

DWORD keptBytes(DWORD count) { return gFault == Fault::ShortWrite ? count / 2 : 0; }

BOOL recordedWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    const size_t index = gWrites.size();
    gWrites.emplace_back(static_cast<const char*>(bytes), count);
    if (!failing(index)) return ::WriteFile(file, bytes, count, written, nullptr);
    DWORD done = 0;
    if (keptBytes(count) > 0) ::WriteFile(file, bytes, keptBytes(count), &done, nullptr);
    if (written) *written = done;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

void resetSeams() {
    quillpen::seams::setMessageBox(captureBox);
    quillpen::seams::setWriteFile(nullptr);
    quillpen::seams::setSetFilePointerEx(nullptr);
    quillpen::seams::failGlobalAllocCall(-1);
}
}  // namespace

void failWrites(Fault fault, int first, int last) {
    gWrites.clear();
    gFault = fault;
    gFirst = first;
    gLast = last;
    quillpen::seams::setWriteFile(recordedWrite);
}

const std::vector<std::string>& writes() { return gWrites; }

std::string received() {
    std::string bytes;
    for (size_t i = 0; i < gWrites.size(); ++i)
        bytes += failing(i) ? gWrites[i].substr(0, keptBytes(static_cast<DWORD>(gWrites[i].size())))
                            : gWrites[i];
    return bytes;
}

bool scratchClear() {
    const auto zero = [](const void* buf, int n) {
        return !buf ||
               std::count(static_cast<const char*>(buf), static_cast<const char*>(buf) + n, 0) == n;
    };
    return zero(quillpen::gMsgBufW, quillpen::kWideBufUnits * 2) &&
           zero(quillpen::gOutBufA, quillpen::kOutBufBytes) &&
           zero(quillpen::gSysOutA, quillpen::kSysOutBytes);
}

std::string maskAddresses(std::string text) {
    for (size_t at = text.find("addr={"); at != std::string::npos; at = text.find("addr={", at)) {
        at += 6;
        const std::string digits = text.substr(at, 16);
        EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos) << digits;
        EXPECT_EQ(text.substr(at + 16, 1), "}");
        text.replace(at, 16, "%p");
    }
    return text;
}

std::string sessionLines(const std::filesystem::path& file, const std::string& body,
                         const std::string& nl) {
    return "[--- [app] start Log={" + file.u8string() + "} ---]" + nl + body +
           "[--- [app] end Log. ---]" + nl;
}

std::string nullLine(const std::string& label) {
    return kErrorBanner + "func={" + label + "} NULLポインタです、処理せずにリターンします。\r\n";
}

// The length guard's box, its title before its text.
const std::string kSizeBoxHead = "[■--ERROR--■] bufSizCheck 続行不可能!: ";

std::string nullBox(const std::string& label) {
    return kSizeBoxHead + "func={" + label + "} NULLポインタです、処理せずにリターンします。";
}

std::string sizeLine(const std::string& label, int32_t max, int32_t size) {
    return kErrorBanner + "func={" + label + "} buf size over max=" + std::to_string(max) +
           "  user data size=" + std::to_string(size) + "\r\n";
}

std::string sizeBox(const std::string& label, int32_t max, int32_t size) {
    return kSizeBoxHead + "func={" + label + "} maxSize=" + std::to_string(max) +
           " dataSize=" + std::to_string(size);
}

void SessionTest::SetUp() {
    logTerm();  // nothing may survive from an earlier test
    gBoxes.clear();
    gBoxAnswer = 1;
    resetSeams();
    setLocalTime(2026, 12, 5, 9, 3, 4);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // A random part keeps test programs run side by side out of each other's way.
    root_ = std::filesystem::temp_directory_path() /
            ("quillpen-" + std::to_string(std::random_device{}()) + "-" + info->test_suite_name() +
             "." + info->name());
    std::filesystem::create_directories(root_);
}

void SessionTest::TearDown() {
    logTerm();
    resetSeams();
    quillpen::seams::setMessageBox(nullptr);
    quillpen::seams::clearFakeClock();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void SessionTest::setLocalTime(int year, int month, int day, int hour, int minute, int second,
                               int millis) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    gTicks = static_cast<long long>(std::mktime(&local)) * 10000000LL + millis * 10000LL;
    quillpen::seams::setFakeTicks(gTicks);
}

void SessionTest::advanceTicks(long long ticks) {
    gTicks += ticks;
    quillpen::seams::setFakeTicks(gTicks);
}

WString SessionTest::dir() const { return widen((root_ / "logs").u8string()); }

std::filesystem::path SessionTest::logPath(const std::string& prefix) const {
    return root_ / "logs" / (prefix + "20261205.log");  // the frozen day's
}

std::string SessionTest::readLog() const {
    std::ifstream in(logPath(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int32_t SessionTest::open(int32_t stampMode, int32_t newlineMode, int32_t logSleep,
                          int32_t logLevel, int32_t bom) {
    return logInit(dir().c_str(), W("app"), stampMode, newlineMode, logSleep, logLevel, bom);
}

std::vector<std::string>& SessionTest::boxes() { return gBoxes; }

void SessionTest::setBoxAnswer(int answer) { gBoxAnswer = answer; }
