#include "platform/linux/LocalSocket.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tavolin::linuxdesktop {
namespace {

using Result = Transfer::Result;

// A path of exactly `length` bytes in `folder`.
std::string PathOfLength(const testing::TempDir& folder, std::size_t length) {
    const std::string base = testing::Utf8(folder.Path()) + "/";
    return base + std::string(length - base.size(), 's');
}

// The path the instance names are checked against is the longest that works: one byte more
// is refused outright, never cut short into another file's name.
TEST(LocalSocket, APathUpToTheLongestIsServedAndALongerOneIsRefused) {
    const testing::TempDir folder;
    const std::string longest = PathOfLength(folder, LocalSocket::MaxPathLength());
    LocalListener listener;
    ASSERT_TRUE(listener.Listen(longest));
    LocalSocket peer;
    EXPECT_TRUE(peer.Connect(longest));

    const std::string tooLong = longest + "s";
    LocalListener refused;
    EXPECT_FALSE(refused.Listen(tooLong));
    EXPECT_FALSE(LocalSocket().Connect(tooLong));
    EXPECT_FALSE(std::filesystem::exists(tooLong));

    // The socket file goes with the listener; nothing answers there after.
    listener.Close();
    EXPECT_FALSE(std::filesystem::exists(longest));
    EXPECT_FALSE(LocalSocket().Connect(longest));
}

// What a read or write tells its caller: wait, go on, or the peer is gone (and a write to a
// peer that is gone does not end the process with SIGPIPE).
TEST(LocalSocket, ATransferSaysWhetherToWaitOrThatThePeerHasGone) {
    const testing::TempDir folder;
    const std::string path = testing::Utf8(folder.Path()) + "/channel";
    LocalListener listener;
    ASSERT_TRUE(listener.Listen(path));
    LocalSocket peer;
    ASSERT_TRUE(peer.Connect(path));
    LocalSocket served;
    std::string error;
    ASSERT_EQ(listener.Accept(served, error), LocalListener::Accepted::Connection);
    EXPECT_EQ(listener.Accept(served, error), LocalListener::Accepted::NoneWaiting);
    EXPECT_TRUE(served.IsOpen());

    char buffer[16];
    EXPECT_EQ(served.Receive(buffer, sizeof buffer).result, Result::WouldBlock);
    EXPECT_FALSE(served.WaitReadable(50));
    const Transfer sent = peer.Send("request\n", 8);
    EXPECT_EQ(sent.result, Result::Moved);
    EXPECT_EQ(sent.count, 8u);
    ASSERT_TRUE(served.WaitReadable(1000));
    const Transfer got = served.Receive(buffer, sizeof buffer);
    ASSERT_EQ(got.result, Result::Moved);
    EXPECT_EQ(std::string(buffer, got.count), "request\n");

    peer.Close();
    EXPECT_TRUE(served.WaitReadable(1000));
    EXPECT_EQ(served.Receive(buffer, sizeof buffer).result, Result::Closed);
    EXPECT_EQ(served.Send("answer\n", 7).result, Result::Closed);
}

} // namespace
} // namespace tavolin::linuxdesktop
