#include "exec/simplecommand.h"

#include <cstring>

namespace {

// Characters that make the shell do something outside quotes.
bool shell_acts_on(char c) { return c == '\n' || c == '\r' || std::strchr("|&;<>()$`*?[]#~={}!", c) != nullptr; }

}  // namespace

bool SplitSimpleCommand(const char* command, std::vector<std::string>& words) {
    words.clear();
    if (!command) return false;
    std::string word;
    bool in_word = false;
    for (const char* p = command; *p; p++) {
        const char c = *p;
        if (c == ' ' || c == '\t') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
            continue;
        }
        in_word = true;
        if (c == '\\') {
            if (!p[1] || p[1] == '\n') return false;  // a line continuation
            word += *++p;
        } else if (c == '\'') {
            const char* end = std::strchr(p + 1, '\'');
            if (!end) return false;
            word.append(p + 1, static_cast<size_t>(end - p - 1));
            p = end;
        } else if (c == '"') {
            for (p++;; p++) {
                if (!*p || *p == '$' || *p == '`') return false;
                if (*p == '"') break;
                if (*p == '\\' && p[1] && std::strchr("\"\\", p[1])) p++;
                else if (*p == '\\' && p[1] == '\n') return false;
                word += *p;
            }
        } else if (shell_acts_on(c)) {
            return false;
        } else {
            word += c;
        }
    }
    if (in_word) words.push_back(word);
    return !words.empty() && words[0].find('/') != std::string::npos;
}
