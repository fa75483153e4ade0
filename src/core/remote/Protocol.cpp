#include "core/remote/Protocol.h"

#include "core/helpers/Convert.h"
#include "core/launcher/Launcher.h"
#include "core/store/ButtonStore.h"

#include <charconv>
#include <vector>

namespace tavolin::remote {

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string Escape(std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (Unreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '%') {
            if (i + 2 >= s.size())
                return std::nullopt;
            const int hi = HexDigit(s[i + 1]);
            const int lo = HexDigit(s[i + 2]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (Unreserved(c)) {
            out += s[i];
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// The words of a line; nothing when it is too long, empty, or has empty words.
std::optional<std::vector<std::string_view>> Words(std::string_view line) {
    if (line.empty() || line.size() > kMaxLine)
        return std::nullopt;
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (true) {
        const auto space = line.find(' ', start);
        const auto length = space == std::string_view::npos ? space : space - start;
        const auto word = line.substr(start, length);
        if (word.empty())
            return std::nullopt;
        words.push_back(word);
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    return words;
}

} // namespace

std::optional<int> NumberIn(std::string_view s, int low, int high) {
    if (s.empty() || s.size() > 9)
        return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || end != s.data() + s.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string EncodeRequest(const Request& r) {
    std::string line = "request";
    if (r.show)
        line += " show";
    if (r.quit)
        line += " quit";
    if (r.category)
        line += " category=" + Escape(*r.category);
    if (r.page)
        line += " page=" + std::to_string(*r.page);
    if (r.press)
        line += " press=" + std::to_string(*r.press);
    return line + "\n";
}

std::string EncodeAnswer(int status, const std::string& message) {
    std::string line = "answer " + std::to_string(status);
    if (!message.empty()) {
        // Cut at a whole escape so that the line stays within its bound.
        std::string text = Escape(message);
        const std::size_t room = kMaxLine - line.size() - 1;
        if (text.size() > room) {
            text.resize(room);
            const auto percent = text.rfind('%');
            if (percent != std::string::npos && percent + 3 > text.size())
                text.resize(percent);
        }
        line += " " + text;
    }
    return line + "\n";
}

std::optional<Request> DecodeRequest(std::string_view line) {
    const auto words = Words(line);
    if (!words || (*words)[0] != "request")
        return std::nullopt;
    Request r;
    for (std::size_t i = 1; i < words->size(); ++i) {
        const std::string_view word = (*words)[i];
        const auto eq = word.find('=');
        const std::string_view key = word.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view{} : word.substr(eq + 1);
        const bool hasValue = eq != std::string_view::npos;
        if (key == "show" || key == "quit") {
            bool& flag = key == "show" ? r.show : r.quit;
            if (hasValue || flag)
                return std::nullopt;
            flag = true;
        } else if (key == "category") {
            if (!hasValue || r.category)
                return std::nullopt;
            r.category = Unescape(value);
            if (!r.category || r.category->empty())
                return std::nullopt;
        } else if (key == "page" || key == "press") {
            std::optional<int>& number = key == "page" ? r.page : r.press;
            if (!hasValue || number)
                return std::nullopt;
            number = key == "page" ? NumberIn(value, Launcher::kMinPage, Launcher::kMaxPage)
                                   : NumberIn(value, 1, ButtonStore::kSlotCount);
            if (!number)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return r;
}

std::optional<Answer> DecodeAnswer(std::string_view line) {
    const auto words = Words(line);
    if (!words || words->size() < 2 || words->size() > 3 || (*words)[0] != "answer") {
        return std::nullopt;
    }
    const auto status = NumberIn((*words)[1], kExitDone, kExitFailed);
    if (!status)
        return std::nullopt;
    Answer a{*status, {}};
    if (words->size() == 3) {
        auto message = Unescape((*words)[2]);
        if (!message)
            return std::nullopt;
        a.message = std::move(*message);
    }
    return a;
}

std::string DisplayIdentity(std::string_view x11Display, std::string_view waylandDisplay) {
    if (x11Display.empty())
        return std::string(waylandDisplay);
    // [host]:number[.screen]; the host "unix" is the local display, as an empty one is.
    const std::size_t colon = x11Display.rfind(':');
    if (colon == std::string_view::npos)
        return std::string(x11Display);
    std::string_view host = x11Display.substr(0, colon);
    std::string_view number = x11Display.substr(colon + 1);
    if (host == "unix")
        host = {};
    if (const std::size_t dot = number.find('.'); dot != std::string_view::npos) {
        number = number.substr(0, dot);
    }
    return std::string(host) + ":" + std::string(number);
}

} // namespace tavolin::remote
