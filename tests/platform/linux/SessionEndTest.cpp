#include "platform/linux/SessionEnd.h"
#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>

namespace tavolin::linuxdesktop {
namespace {

using namespace tavolin::testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const IsolatedDesktop& g_desktop = IsolatedDesktop::Instance();

const std::string kFakes =
    std::string(TAVOLIN_SOURCE_DIR) + "/tests/platform/linux/fakes/fake_session_services.py";

// Short waits, so that the tests of late answers are quick.
const SessionEndTimeouts kQuick{std::chrono::milliseconds(700), std::chrono::milliseconds(700)};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class SessionEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_session = std::make_unique<PrivateBus>(m_folder.Path(), "session");
        m_system = std::make_unique<PrivateBus>(m_folder.Path(), "system");
        ASSERT_TRUE(m_session->Ready() && m_system->Ready()) << "dbus-daemon did not start";
    }

    // Starts the fake services on a bus and waits until they own their names.
    void StartFakes(const PrivateBus& bus, const std::vector<std::string>& services) {
        fs::path ready = m_folder.Path() / ("ready" + std::to_string(m_fakes.size()));
        std::vector<std::string> argv = {"/usr/bin/python3", kFakes, bus.Address(), ready.string(),
                                         Log().string()};
        argv.insert(argv.end(), services.begin(), services.end());
        m_fakes.push_back(
            std::make_unique<ChildProcess>(argv, std::vector<std::pair<std::string, std::string>>{},
                                           (m_folder.Path() / "fakes.out").string()));
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(ready); }, 20s))
            << "the fake services did not start: " << ReadText(m_folder.Path() / "fakes.out");
    }

    fs::path Log() const { return m_folder.Path() / "calls.log"; }
    std::vector<std::string> Calls() const { return Lines(ReadText(Log())); }

    TempFolder m_folder;
    std::unique_ptr<PrivateBus> m_session, m_system;
    std::vector<std::unique_ptr<ChildProcess>> m_fakes;
};

struct DesktopCase {
    const char* service;
    const char* expectedCall;
};

class LogOutTest : public SessionEndTest, public ::testing::WithParamInterface<DesktopCase> {};

TEST_P(LogOutTest, TheRunningDesktopsSessionManagerLogsOutWithoutItsOwnQuestion) {
    StartFakes(*m_session, {std::string(GetParam().service) + "=accept"});
    std::string error;
    EXPECT_TRUE(LogOut(m_session->Address(), kQuick, error)) << error;
    EXPECT_THAT(Calls(), ElementsAre(GetParam().expectedCall));
}

INSTANTIATE_TEST_SUITE_P(Desktops, LogOutTest,
                         ::testing::Values(DesktopCase{"gnome", "Logout 1"},
                                           DesktopCase{"plasma", "logout"},
                                           DesktopCase{"ksmserver", "logout 0 0 0"},
                                           DesktopCase{"xfce", "Logout False True"}),
                         [](const auto& info) { return std::string(info.param.service); });

TEST_F(SessionEndTest, LogOutFailsOnARefusalALateAnswerOrNoSessionManager) {
    std::string error;
    EXPECT_FALSE(LogOut(m_session->Address(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("no session manager"));

    StartFakes(*m_session, {"gnome=refuse"});
    error.clear();
    EXPECT_FALSE(LogOut(m_session->Address(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("refused by the test"));

    StartFakes(*m_system, {"xfce=hang"});
    error.clear();
    EXPECT_FALSE(LogOut(m_system->Address(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("no answer in time"));
    EXPECT_THAT(Calls(), ElementsAre("Logout 1", "Logout False True"));
}

TEST_F(SessionEndTest, NoBusOrABusThatNeverAnswersIsAFailure) {
    std::string error;
    EXPECT_FALSE(LogOut("", kQuick, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    std::string nowhere = "unix:path=" + (m_folder.Path() / "no-such-socket").string();
    EXPECT_FALSE(RequestPowerAction(PowerAction::Reboot, nowhere, kQuick, error));
    EXPECT_FALSE(error.empty());

    // A socket that accepts connections but never says a word.
    fs::path mute = m_folder.Path() / "mute.socket";
    int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", mute.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    error.clear();
    EXPECT_FALSE(LogOut("unix:path=" + mute.string(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("did not answer in time"));
    close(listener);
}

TEST_F(SessionEndTest, RebootAndPowerOffThroughLogindWithInteractiveAuthorisation) {
    StartFakes(*m_system, {"login1=accept:yes"});
    std::string error;
    EXPECT_TRUE(RequestPowerAction(PowerAction::Reboot, m_system->Address(), kQuick, error))
        << error;
    EXPECT_TRUE(RequestPowerAction(PowerAction::PowerOff, m_system->Address(), kQuick, error))
        << error;
    EXPECT_THAT(Calls(), ElementsAre("CanReboot", "Reboot True", "CanPowerOff", "PowerOff True"));
}

TEST_F(SessionEndTest, APowerActionThatNeedsAuthorisationIsStillAsked) {
    StartFakes(*m_system, {"login1=accept:challenge"});
    std::string error;
    EXPECT_TRUE(RequestPowerAction(PowerAction::PowerOff, m_system->Address(), kQuick, error))
        << error;
    EXPECT_THAT(Calls(), ElementsAre("CanPowerOff", "PowerOff True"));
}

TEST_F(SessionEndTest, APowerActionThatIsNotPermittedIsNotEvenRequested) {
    StartFakes(*m_system, {"login1=accept:no"});
    std::string error;
    EXPECT_FALSE(RequestPowerAction(PowerAction::Reboot, m_system->Address(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("not permitted"));
    EXPECT_THAT(Calls(), ElementsAre("CanReboot"));
}

TEST_F(SessionEndTest, APowerActionFailsOnARefusalALateAnswerOrNoLogind) {
    std::string error;
    EXPECT_FALSE(RequestPowerAction(PowerAction::Reboot, m_system->Address(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("org.freedesktop.login1"));
    EXPECT_THAT(Calls(), IsEmpty());

    StartFakes(*m_system, {"login1=refuse"});
    error.clear();
    EXPECT_FALSE(RequestPowerAction(PowerAction::Reboot, m_system->Address(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("refused by the test"));

    StartFakes(*m_session, {"login1=hang:challenge"});
    error.clear();
    EXPECT_FALSE(RequestPowerAction(PowerAction::PowerOff, m_session->Address(), kQuick, error));
    EXPECT_THAT(error, HasSubstr("no answer in time"));
    EXPECT_THAT(Calls(), ElementsAre("CanReboot", "Reboot True", "CanPowerOff", "PowerOff True"));
}

TEST_F(SessionEndTest, ThePlatformFindsTheBusesFromTheEnvironment) {
    StartFakes(*m_session, {"gnome=accept"});
    StartFakes(*m_system, {"login1=accept"});
    LinuxPlatform platform;

    setenv("DBUS_SESSION_BUS_ADDRESS", m_session->Address().c_str(), 1);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", m_system->Address().c_str(), 1);
    EXPECT_TRUE(platform.EndSession(SessionEnd::RestartShell));
    EXPECT_TRUE(platform.EndSession(SessionEnd::Reboot));
    EXPECT_TRUE(platform.EndSession(SessionEnd::PowerOff));
    EXPECT_THAT(Calls(), ElementsAre("Logout 1", "CanReboot", "Reboot True", "CanPowerOff",
                                     "PowerOff True"));

    // No session bus at all: neither an address nor a socket in the runtime folder.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(SessionBusAddress(), "");
    EXPECT_FALSE(platform.EndSession(SessionEnd::RestartShell));
    std::string nowhere = "unix:path=" + (m_folder.Path() / "gone").string();
    setenv("DBUS_SYSTEM_BUS_ADDRESS", nowhere.c_str(), 1);
    EXPECT_FALSE(platform.EndSession(SessionEnd::Reboot));
}

} // namespace
} // namespace tavolin::linuxdesktop
