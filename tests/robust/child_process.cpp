#include "robust/child_process.h"

namespace robust {

bool ChildProcess::readLine(std::string& line) {
    size_t end;
    while ((end = pending_.find('\n')) == std::string::npos)
        if (!fill()) return false;
    line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a text-mode stdout's CR
    return true;
}

}  // namespace robust
