#include "platform/linux/ArgumentSplit.h"

namespace platform::linux_detail {

std::vector<std::string> splitArguments(const std::string& text) {
    std::vector<std::string> out;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) {
                out.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) {
        out.push_back(word);
    }
    return out;
}

}  // namespace platform::linux_detail
