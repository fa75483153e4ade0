#include "core/remote/Protocol.h"

#include <gtest/gtest.h>

using namespace tavolin::remote;

namespace {

std::string WithoutLineEnd(std::string line) {
    EXPECT_EQ(line.back(), '\n');
    line.pop_back();
    return line;
}

} // namespace

TEST(ProtocolTest, RequestsSurviveTheChannel) {
    Request all;
    all.category = "遊び 100% = fun\r\n[x]";
    all.page = 32767;
    all.press = 24;
    all.show = true;
    all.quit = true;
    Request pressOnly;
    pressOnly.press = 1;
    for (const Request& r : {all, pressOnly, Request{}}) {
        const std::string line = WithoutLineEnd(EncodeRequest(r));
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(DecodeRequest(line), r) << line;
    }
    EXPECT_EQ(WithoutLineEnd(EncodeRequest(pressOnly)), "request press=1");
}

TEST(ProtocolTest, MalformedRequestsAreRefused) {
    const std::string tooLong = "request category=" + std::string(kMaxLine, 'a');
    const char* rows[] = {
        "",
        "come-forward",
        "request  show",
        "request show ",
        "request show show",
        "request shout",
        "request show=1",
        "request press",
        "request press=0",
        "request press=25",
        "request press=5 press=6",
        "request page=0",
        "request page=32768",
        "request page=+3",
        "request page=99999999999999",
        "request category=",
        "request category=%4",
        "request category=%GG",
        "request category=a b",
        "request category=a\tb",
        "request category=x category=y",
        "answer 0",
    };
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(DecodeRequest(row));
    }
    EXPECT_FALSE(DecodeRequest(tooLong));
    EXPECT_TRUE(DecodeRequest(tooLong.substr(0, kMaxLine)));
}

TEST(ProtocolTest, AnswersSurviveTheChannelWithinTheBound) {
    EXPECT_EQ(WithoutLineEnd(EncodeAnswer(0, "")), "answer 0");
    EXPECT_EQ(DecodeAnswer("answer 0"), (Answer{0, ""}));
    const std::string message = "F6 on page 2 of \"仕事\" is an empty button";
    EXPECT_EQ(DecodeAnswer(WithoutLineEnd(EncodeAnswer(1, message))), (Answer{1, message}));

    // A long message is cut at a whole escape, never past the bound.
    for (std::size_t n : {kMaxLine, kMaxLine + 1, kMaxLine + 2}) {
        const std::string line = WithoutLineEnd(EncodeAnswer(1, std::string(n, '%')));
        EXPECT_LE(line.size(), kMaxLine);
        const auto answer = DecodeAnswer(line);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->message, std::string(answer->message.size(), '%'));
    }

    for (const char* bad : {"answer", "answer 2", "answer -1", "answer 1 a b", "request show",
                            "answer 1 %ZZ", "answer x"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(DecodeAnswer(bad));
    }
}
TEST(ProtocolTest, OneDisplayHasOneIdentityHoweverItIsSpelled) {
    struct Row {
        const char* x11;
        const char* wayland;
        const char* identity;
    };
    const Row rows[] = {
        {":72", "", ":72"},
        {":72.0", "", ":72"},
        {"unix:72.1", "", ":72"},
        {"host:10.0", "", "host:10"},
        {"[::1]:3", "", "[::1]:3"},
        {":0", "wayland-0", ":0"},
        {"", "wayland-1", "wayland-1"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DisplayIdentity(row.x11, row.wayland), row.identity) << row.x11;
    }
}
