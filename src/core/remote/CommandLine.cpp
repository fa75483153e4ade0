#include "core/remote/CommandLine.h"

#include "core/helpers/Convert.h"
#include "core/launcher/Launcher.h"
#include "core/remote/Protocol.h"
#include "core/store/ButtonStore.h"

#include <algorithm>
#include <array>

namespace tavolin::remote {

namespace {

// The options that Qt's application objects read and remove from the arguments, as "name"
// with one dash; Qt also accepts them with two dashes and, for some, as "-name=value".
struct QtOption {
    std::string_view name;
    bool takesValue;
};
constexpr std::array kQtOptions{
    QtOption{"platform", true},        QtOption{"platformpluginpath", true},
    QtOption{"platformtheme", true},   QtOption{"plugin", true},
    QtOption{"qwindowgeometry", true}, QtOption{"geometry", true},
    QtOption{"qwindowtitle", true},    QtOption{"title", true},
    QtOption{"qwindowicon", true},     QtOption{"icon", true},
    QtOption{"display", true},         QtOption{"name", true},
    QtOption{"visual", true},          QtOption{"session", true},
    QtOption{"style", true},           QtOption{"stylesheet", true},
    QtOption{"qmljsdebugger", true},   QtOption{"reverse", false},
    QtOption{"nograb", false},         QtOption{"dograb", false},
    QtOption{"sync", false},           QtOption{"widgetcount", false},
    QtOption{"testability", false},
};

const QtOption* FindQtOption(std::string_view name) {
    const auto it = std::find_if(kQtOptions.begin(), kQtOptions.end(),
                                 [&](const QtOption& o) { return o.name == name; });
    return it == kQtOptions.end() ? nullptr : &*it;
}

CommandLine Error(std::string text) {
    CommandLine c;
    c.action = CommandLine::Action::Error;
    c.error = std::move(text);
    return c;
}

} // namespace

std::optional<int> ParseButtonKey(std::string_view text) {
    const std::string key = LowerAscii(std::string(text));
    int offset = 0;
    std::string_view rest = key;
    for (std::string_view prefix : {"shift+", "shift-", "s-"}) {
        if (rest.substr(0, prefix.size()) == prefix) {
            rest.remove_prefix(prefix.size());
            offset = 12;
            break;
        }
    }
    if (!rest.empty() && rest.front() == 'f') {
        const auto n = NumberIn(rest.substr(1), 1, 12);
        return n ? std::optional(*n + offset) : std::nullopt;
    }
    return offset != 0 ? std::nullopt : NumberIn(rest, 1, ButtonStore::kSlotCount);
}

std::string ButtonKeyName(int slot) {
    std::string name = slot > 12 ? "Shift+F" : "F";
    name += std::to_string(slot > 12 ? slot - 12 : slot);
    return name;
}

namespace {

// Sets what the option `name` (one of ours that takes a value) asks for to `value`; the
// error, if the value is wrong.
std::optional<std::string> SetValue(const std::string& name, const std::string& value, Request& r) {
    if (name == "--press") {
        r.press = ParseButtonKey(value);
        if (!r.press) {
            return "--press takes F1 to F12, shift+F1 to shift+F12 or 1 to 24, not \"" + value +
                   "\"";
        }
    } else if (name == "--category") {
        if (value.empty())
            return "--category needs a name";
        r.category = value;
    } else {
        r.page = NumberIn(value, Launcher::kMinPage, Launcher::kMaxPage);
        if (!r.page)
            return "--page takes a number from 1 to 32767, not \"" + value + "\"";
    }
    return std::nullopt;
}

// The request must fit the line a running copy reads, which only a very long category name
// can overflow; said here, before anything is sent.
std::optional<std::string> TooLongToHandOver(const Request& r) {
    const std::size_t length = EncodeRequest(r).size() - 1;
    if (length <= kMaxLine)
        return std::nullopt;
    return "the category name is too long: the request would take " + std::to_string(length) +
           " bytes, at most " + std::to_string(kMaxLine) + " can be handed over";
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    Request& r = result.request;
    bool any = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            return Error("unexpected argument \"" + arg + "\"");
        }
        // "--name=value" and "--name value" alike.
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }

        if (name == "-h" || name == "--help") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (name == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        if (name == "--show" || name == "--quit") {
            if (inlineValue)
                return Error(name + " takes no value");
            (name == "--show" ? r.show : r.quit) = true;
            any = true;
            continue;
        }
        if (name == "--press" || name == "--category" || name == "--page") {
            if (!inlineValue && i + 1 >= args.size())
                return Error(name + " needs a value");
            if (auto error = SetValue(name, inlineValue ? *inlineValue : args[++i], r))
                return Error(std::move(*error));
            any = true;
            continue;
        }
        const std::string_view bare =
            std::string_view(name).substr(name.compare(0, 2, "--") == 0 ? 2 : 1);
        if (const QtOption* qt = FindQtOption(bare)) {
            if (qt->takesValue && !inlineValue && i + 1 < args.size())
                ++i;
            continue;
        }
        return Error("unknown option \"" + arg + "\"");
    }
    if (!any)
        r.show = true;
    if (auto error = TooLongToHandOver(r))
        return Error(std::move(*error));
    return result;
}

std::string Usage(std::string_view program) {
    const std::string p(program);
    return "Usage: " + p +
           " [options]\n"
           "\n"
           "Starts the launcher, or hands the options to the copy that runs already.\n"
           "\n"
           "  --press KEY       launch a button of the page on screen: F1 to F12,\n"
           "                    shift+F1 to shift+F12, or its number 1 to 24\n"
           "  --category NAME   first show page 1 of this category\n"
           "  --page N          first show page N (1 to 32767)\n"
           "  --show            bring the launcher to the front (what a plain start does\n"
           "                    when it runs already)\n"
           "  --quit            close the launcher; its settings and page are saved\n"
           "  -h, --help        show this text\n"
           "  --version         show the version\n"
           "\n"
           "Qt's own options (-platform, -display, -style, ...) are accepted as well.\n"
           "\n"
           "Exit status: 0 done, 1 the launcher could not do it (for example an empty\n"
           "button or no such category; the reason is printed), 2 a wrong command line.\n";
}

} // namespace tavolin::remote
