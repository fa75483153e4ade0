#include "core/remote/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tavolin::remote;
using Action = CommandLine::Action;

namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        args.push_back(word);
    return args;
}

Request Shows() {
    Request r;
    r.show = true;
    return r;
}

} // namespace

TEST(CommandLineTest, RequestsOfTheOptions) {
    struct Row {
        const char* name;
        std::string line;
        std::optional<std::string> category;
        std::optional<int> page;
        std::optional<int> press;
        bool show;
        bool quit;
    };
    const Row rows[] = {
        {"plain start shows", "", {}, {}, {}, true, false},
        {"press a key", "--press F5", {}, {}, 5, false, false},
        {"press with =", "--press=shift+F5", {}, {}, 17, false, false},
        {"press by number", "--press 24", {}, {}, 24, false, false},
        {"category and page first", "--category 仕事 --page 3 --press F1", "仕事", 3, 1, false,
         false},
        {"page alone does not show", "--page 32767", {}, 32767, {}, false, false},
        {"show", "--show", {}, {}, {}, true, false},
        {"quit", "--quit", {}, {}, {}, false, true},
        {"press then quit", "--press F2 --quit", {}, {}, 2, false, true},
        {"a later option wins", "--page 2 --page 4", {}, 4, {}, false, false},
        // Qt's options, with and without their values, are the application object's.
        {"qt options",
         "-platform offscreen -style=fusion -reverse --display :1 --press F3",
         {},
         {},
         3,
         false,
         false},
        {"qt options alone", "-platform xcb -nograb", {}, {}, {}, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CommandLine c = ParseCommandLine(Split(row.line));
        ASSERT_EQ(c.action, Action::Run) << c.error;
        EXPECT_EQ(c.request.category, row.category);
        EXPECT_EQ(c.request.page, row.page);
        EXPECT_EQ(c.request.press, row.press);
        EXPECT_EQ(c.request.show, row.show);
        EXPECT_EQ(c.request.quit, row.quit);
    }
    EXPECT_TRUE(ParseCommandLine({}).request.OnlyShows());
    EXPECT_TRUE(ParseCommandLine({"--quit"}).request.OnlyQuits());
    EXPECT_FALSE(ParseCommandLine({"--quit", "--press", "F1"}).request.OnlyQuits());
    // A name with spaces is one argument.
    EXPECT_EQ(ParseCommandLine({"--category", "my games"}).request.category, "my games");
    EXPECT_EQ(ParseCommandLine({"--show"}).request, Shows());
}

TEST(CommandLineTest, HelpVersionAndWrongCommandLines) {
    struct Row {
        const char* line;
        Action action;
        const char* errorPart;
    };
    // A name of 460 Japanese characters is 4,140 bytes once percent-encoded, which no
    // request line can carry; 400 still fit.
    std::string tooLong = "--category=";
    std::string fits = "--category=";
    for (int i = 0; i < 460; ++i)
        tooLong += "名";
    for (int i = 0; i < 400; ++i)
        fits += "名";
    const Row rows[] = {
        {tooLong.c_str(), Action::Error, "the category name is too long"},
        {fits.c_str(), Action::Run, ""},
        {"--help", Action::Help, ""},
        {"-h --bogus", Action::Help, ""},
        {"--version", Action::Version, ""},
        {"--bogus", Action::Error, "unknown option \"--bogus\""},
        {"-x", Action::Error, "unknown option"},
        {"--", Action::Error, "unknown option"},
        {"F5", Action::Error, "unexpected argument \"F5\""},
        {"--press", Action::Error, "--press needs a value"},
        {"--press F13", Action::Error, "not \"F13\""},
        {"--press F0", Action::Error, "--press takes"},
        {"--press 25", Action::Error, "--press takes"},
        {"--press shift+17", Action::Error, "--press takes"},
        {"--page 0", Action::Error, "--page takes a number from 1 to 32767"},
        {"--page 32768", Action::Error, "--page takes"},
        {"--page two", Action::Error, "--page takes"},
        {"--page -3", Action::Error, "--page takes"},
        {"--category=", Action::Error, "--category needs a name"},
        {"--show=1", Action::Error, "--show takes no value"},
        {"--press F5 extra", Action::Error, "unexpected argument \"extra\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const CommandLine c = ParseCommandLine(Split(row.line));
        EXPECT_EQ(c.action, row.action);
        EXPECT_NE(c.error.find(row.errorPart), std::string::npos) << c.error;
    }
    EXPECT_NE(Usage("tavolin").find("--press KEY"), std::string::npos);
}

TEST(CommandLineTest, ButtonKeysAndTheirNames) {
    const std::pair<const char*, std::optional<int>> rows[] = {
        {"F1", 1},         {"f12", 12},  {"F5", 5},   {"shift+F1", 13}, {"Shift+F5", 17},
        {"SHIFT-f12", 24}, {"s-F3", 15}, {"1", 1},    {"24", 24},       {"0", {}},
        {"25", {}},        {"F13", {}},  {"F", {}},   {"shift+", {}},   {"shift+5", {}},
        {"F5 ", {}},       {"", {}},     {"+F5", {}}, {"ctrl+F5", {}},  {"F05x", {}},
    };
    for (const auto& [text, slot] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseButtonKey(text), slot);
    }
    for (int slot = 1; slot <= 24; ++slot)
        EXPECT_EQ(ParseButtonKey(ButtonKeyName(slot)), slot);
    EXPECT_EQ(ButtonKeyName(5), "F5");
    EXPECT_EQ(ButtonKeyName(17), "Shift+F5");
}
