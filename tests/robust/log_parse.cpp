#include "robust/log_parse.h"

namespace robust {

std::vector<std::string> splitLines(const std::string& text, bool* whole) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    if (at < text.size()) lines.push_back(text.substr(at));
    if (whole) *whole = at == text.size();
    return lines;
}

int countOf(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}

std::string maskAddresses(std::string text) {
    const std::string head = "addr={";
    for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at)) {
        at += head.size();
        for (; at < text.size() && text[at] != '}'; ++at) text[at] = '#';
    }
    return text;
}

}  // namespace robust
