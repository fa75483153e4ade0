#include "platform/linux/CommandLine.h"

namespace tavolin::linuxdesktop {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Characters that a backslash escapes inside double quotes.
bool EscapableInDoubleQuotes(char c) {
    return c == '"' || c == '\\' || c == '$' || c == '`' || c == '\n';
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& text) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false; // true once the current argument has begun, even if empty ("")
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (IsBlank(c)) {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
            ++i;
        } else if (c == '\'') {
            inArgument = true;
            ++i;
            while (i < n && text[i] != '\'') {
                current += text[i++];
            }
            ++i; // the closing quote, or past the end when it is missing
        } else if (c == '"') {
            inArgument = true;
            ++i;
            while (i < n && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < n && EscapableInDoubleQuotes(text[i + 1])) {
                    if (text[i + 1] != '\n') { // backslash + line end joins the lines
                        current += text[i + 1];
                    }
                    i += 2;
                } else {
                    current += text[i++];
                }
            }
            ++i;
        } else if (c == '\\') {
            if (i + 1 < n) {
                if (text[i + 1] != '\n') {
                    current += text[i + 1];
                    inArgument = true;
                }
                i += 2;
            } else {
                current += c; // a lone backslash at the end stands for itself
                inArgument = true;
                ++i;
            }
        } else {
            current += c;
            inArgument = true;
            ++i;
        }
    }
    if (inArgument) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

} // namespace tavolin::linuxdesktop
