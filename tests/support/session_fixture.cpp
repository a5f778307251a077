#include "support/session_fixture.h"

#include <atomic>
#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/seams.h"
#include "text/utf.h"

namespace {
std::vector<std::string> gBoxes;
int gBoxAnswer = 1;
long long gTicks = 0;
std::atomic<int> gDirCounter{0};

int captureBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    char title[4096], body[16384];
    quillpen::utf16ToUtf8(caption, title, sizeof title);
    quillpen::utf16ToUtf8(text, body, sizeof body);
    gBoxes.push_back(std::string(title) + ": " + body);
    return gBoxAnswer;
}
}  // namespace

WString repeat(qp_wchar unit, size_t units) { return WString(units, unit); }

std::string line0(const std::string& text) { return "[" + text + "]\r\n"; }

std::string sessionLines(const std::filesystem::path& file, const std::string& body,
                         const std::string& nl) {
    return "[--- [app] start Log={" + file.u8string() + "} ---]" + nl + body +
           "[--- [app] end Log. ---]" + nl;
}

void SessionTest::SetUp() {
    logTerm();  // nothing may survive from an earlier test
    gBoxes.clear();
    gBoxAnswer = 1;
    quillpen::seams::setMessageBox(captureBox);
    quillpen::seams::setWriteFile(nullptr);
    quillpen::seams::setSetFilePointerEx(nullptr);
    setLocalTime(2026, 12, 5, 9, 3, 4);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& ch : name)
        if (ch == '/') ch = '_';
    root_ = std::filesystem::temp_directory_path() /
            ("quillpen-" + name + "-" + std::to_string(gDirCounter++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
}

void SessionTest::TearDown() {
    logTerm();
    quillpen::seams::setMessageBox(nullptr);
    quillpen::seams::setWriteFile(nullptr);
    quillpen::seams::setSetFilePointerEx(nullptr);
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

std::filesystem::path SessionTest::logPath(const std::string& prefix,
                                           const std::string& date) const {
    return root_ / "logs" / (prefix + date + ".log");
}

std::string SessionTest::readLog(const std::string& prefix, const std::string& date) const {
    std::ifstream in(logPath(prefix, date), std::ios::binary);
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
