#include "robust/write_faults.h"

#include "platform/seams.h"

namespace robust {
namespace {
std::vector<std::string> gWrites;
size_t gTaken = 0;  // writes already handed out by takeWritten
Fault gFault = Fault::DiskFull;
int gFirst = 0;
int gLast = 0;

DWORD keptBytes(Fault fault, DWORD count) { return fault == Fault::ShortWrite ? count / 2 : 0; }

BOOL faultyWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    const int index = static_cast<int>(gWrites.size());
    gWrites.emplace_back(static_cast<const char*>(bytes), count);
    if (index < gFirst || index >= gLast) return ::WriteFile(file, bytes, count, written, nullptr);
    DWORD done = 0;
    const DWORD kept = keptBytes(gFault, count);
    if (kept > 0) ::WriteFile(file, bytes, kept, &done, nullptr);
    if (written) *written = done;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
}  // namespace

void injectWriteFaults(Fault fault, int first, int last) {
    gWrites.clear();
    gTaken = 0;
    gFault = fault;
    gFirst = first;
    gLast = last;
    quillpen::seams::setWriteFile(faultyWrite);
}

void recordWrites() { injectWriteFaults(Fault::DiskFull, 0, 0); }

void clearWriteFaults() { gLast = gFirst; }

const std::vector<std::string>& attemptedWrites() { return gWrites; }

std::string takeWritten() {
    std::string bytes;
    for (; gTaken < gWrites.size(); ++gTaken) bytes += gWrites[gTaken];
    return bytes;
}

std::string received(const std::vector<std::string>& writes, Fault fault, int first, int last) {
    std::string bytes;
    for (int i = 0; i < static_cast<int>(writes.size()); ++i) {
        const std::string& piece = writes[static_cast<size_t>(i)];
        if (i < first || i >= last)
            bytes += piece;
        else
            bytes += piece.substr(0, keptBytes(fault, static_cast<DWORD>(piece.size())));
    }
    return bytes;
}

const char* faultName(Fault fault) {
    return fault == Fault::DiskFull ? "disk full" : "short write";
}

}  // namespace robust
