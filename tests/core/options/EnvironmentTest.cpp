#include "core/options/Environment.h"

#include "core/settings/ProfileFile.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tavolin::options {
namespace {

class EnvironmentTest : public ::testing::Test {
protected:
    Environment LoadFrom(const std::string& ini, int winPos = 3) {
        std::ofstream(m_ini, std::ios::binary | std::ios::trunc) << ini;
        return LoadEnvironment(m_ini, winPos, "IPAGothic");
    }
    // Writes the pages' keys into a file that already holds `ini`, and reads it back.
    ProfileFile Written(const Environment& env, const std::string& ini = "") {
        std::ofstream(m_ini, std::ios::binary | std::ios::trunc) << ini;
        std::string error;
        const auto replacement = BeginSaveEnvironment(m_platform, m_ini, env, error);
        EXPECT_TRUE(replacement && replacement->Commit(error)) << error;
        return ProfileFile(m_ini);
    }

    tavolin::testing::TempDir m_temp{"tavolin-env"};
    std::string m_ini = (m_temp.Path() / "tavolin.ini").string();
    tavolin::testing::FakePlatform m_platform;
    tavolin::testing::FakeView m_view;
};

TEST_F(EnvironmentTest, EmptyFileOpensWithTheDialogsDefaults) {
    const Environment env = LoadFrom("");
    EXPECT_EQ(env.Mode(), DisplayMode::Nomal);
    EXPECT_EQ(IntervalCaption(env.ShowTime), "更新の間隔 (1000/ミリ秒 = 1秒) (&T)");
    EXPECT_EQ(env.WatchLowBox.text, "20");
    EXPECT_EQ(env.WatchHighBox.text, "30");
    EXPECT_EQ(env.ResWatchType, kWatchDate);
    EXPECT_EQ(ColourToText(env.DateFont), "clLime");
    EXPECT_EQ(ColourToText(env.DateBack), "clBlack");
    EXPECT_TRUE(env.DateBold && env.DateItalic && env.ShowTitle && env.TaskBarLast);
    EXPECT_EQ(env.DateFontName, "IPAGothic");
    EXPECT_EQ(env.WinPos, 3);
    EXPECT_EQ(env.BtnCaptionL, 10);
    EXPECT_EQ(env.DelFlashBox.position * 10 + env.GomFlashBox.position, 53);
    EXPECT_EQ(ColourToText(env.MemoColor), "$00E1FFFF");
    EXPECT_EQ(env.MemoPosition + env.AdrPosition + env.CalPosition, 3);

    // The launcher's own default (clock and information) is read as such when written.
    EXPECT_EQ(LoadFrom("[Window]\r\nTaRMode=1\r\n").Mode(), DisplayMode::TaR);
    // Values an earlier version may have left are read, never refused.
    const Environment odd = LoadFrom("[Window]\r\nResWatchLow=abc\r\nShowTime=99\r\n"
                                     "DateFont=7\r\nNomalMode=0\r\nSmallMode=0\r\n"
                                     "ResWatchHigh=150\r\nResWatchType=7\r\n");
    EXPECT_EQ(odd.WatchLowBox.text, "20");
    EXPECT_EQ(odd.WatchHighBox.text, "100");
    EXPECT_EQ(odd.ResWatchType, kWatchDate);
    EXPECT_EQ(odd.ShowTime, 20);
    EXPECT_EQ(ColourToText(odd.DateFont), "clGreen"); // the old colour table
    EXPECT_EQ(odd.Mode(), DisplayMode::Nomal);
}

TEST_F(EnvironmentTest, IntervalCaptionsAtEveryEnd) {
    EXPECT_EQ(IntervalCaption(1), "更新の間隔 (100/ミリ秒 = 0.1秒) (&T)");
    EXPECT_EQ(IntervalCaption(5), "更新の間隔 (750/ミリ秒 = 0.75秒) (&T)");
    EXPECT_EQ(IntervalCaption(14), "更新の間隔 (60000/ミリ秒 = 1分) (&T)");
    EXPECT_EQ(IntervalCaption(20), "更新の間隔 (1800000/ミリ秒 = 30分) (&T)");
}

TEST_F(EnvironmentTest, ChecksAtOkWithTheirMessagesAndFocus) {
    static const std::string kQuestionStart = "この設定ではリソースが設定値を下回っても";
    struct Case {
        const char* name;
        const char* low;
        const char* high;
        bool watch;
        int type;
        DisplayMode mode;
        std::optional<MsgResult> answer;
        bool goOn;
        const char* message; // start of the message, "" for none
        const char* focus;
    };
    const Case cases[] = {
        {"defaults pass", "20", "30", true, kWatchDate, DisplayMode::Nomal, {}, true, "", ""},
        {"low not a number",
         "x",
         "30",
         true,
         kWatchDate,
         DisplayMode::Nomal,
         {},
         false,
         "値は0から100でなければいけません",
         "edtWatchLow"},
        {"high empty",
         "20",
         "",
         true,
         kWatchDate,
         DisplayMode::Nomal,
         {},
         false,
         "値は0から100でなければいけません",
         "edtWatchHigh"},
        {"low 120",
         "120",
         "30",
         true,
         kWatchDate,
         DisplayMode::Nomal,
         {},
         false,
         "値は0から100でなければいけません",
         "edtWatchLow"},
        {"high 101",
         "20",
         "101",
         true,
         kWatchDate,
         DisplayMode::Nomal,
         {},
         false,
         "値は0から100でなければいけません",
         "edtWatchHigh"},
        {"low equals high",
         "30",
         "30",
         true,
         kWatchDate,
         DisplayMode::Nomal,
         {},
         false,
         "下限は上限より小さくして下さい",
         "edtWatchLow"},
        {"watch off skips every check",
         "120",
         "x",
         false,
         kWatchTitle,
         DisplayMode::Time,
         {},
         true,
         "",
         ""},
        {"title flash in clock mode, no", "20", "30", true, kWatchTitle, DisplayMode::Time,
         MsgResult::No, false, kQuestionStart.c_str(), "cmbWatch"},
        {"title flash in clock mode, yes", "20", "30", true, kWatchTitle, DisplayMode::Time,
         MsgResult::Yes, true, kQuestionStart.c_str(), ""},
        {"resource flash needs normal mode", "20", "30", true, kWatchResource, DisplayMode::TaR,
         MsgResult::No, false, kQuestionStart.c_str(), "cmbWatch"},
        {"date flash in title mode", "20", "30", true, kWatchDate, DisplayMode::Title,
         MsgResult::Yes, true, kQuestionStart.c_str(), ""},
        {"message needs nothing",
         "20",
         "30",
         true,
         kWatchMessage,
         DisplayMode::Small,
         {},
         true,
         "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_view.messages.clear();
        if (c.answer)
            m_view.answers.push_back(*c.answer);
        Environment env;
        env.WatchLowBox.SetText(c.low);
        env.WatchHighBox.SetText(c.high);
        env.ResWatch = c.watch;
        env.ResWatchType = c.type;
        env.ChooseMode(c.mode);
        std::string focus;
        EXPECT_EQ(CheckEnvironment(env, m_view, focus), c.goOn);
        EXPECT_EQ(focus, c.focus);
        if (*c.message == '\0') {
            EXPECT_TRUE(m_view.messages.empty());
        } else {
            ASSERT_EQ(m_view.messages.size(), 1u);
            EXPECT_EQ(m_view.messages[0].text.rfind(c.message, 0), 0u);
            EXPECT_EQ(m_view.messages[0].kind, c.answer ? MsgKind::Information : MsgKind::Warning);
        }
    }
}

// A hot key without Ctrl, Alt or the logo key would take its key from every program.
TEST_F(EnvironmentTest, AHotKeyNeedsCtrlAltOrTheLogoKey) {
    const struct {
        const char* key;
        bool goOn;
    } cases[] = {
        {"", true},          {"Ctrl+Alt+Space", true},
        {"Meta+K", true},    {"Ctrl++", true},
        {"Alt+F5", true},    {"F5", false},
        {"Shift+F5", false}, {"A", false},
        {"+", false},        {"Shift++", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        m_view.messages.clear();
        Environment env;
        env.ResWatch = false;
        env.HotKey = c.key;
        std::string focus;
        EXPECT_EQ(CheckEnvironment(env, m_view, focus), c.goOn);
        EXPECT_EQ(focus, c.goOn ? "" : "edtHotKey");
        EXPECT_EQ(m_view.messages.size(), c.goOn ? 0u : 1u);
    }
}

TEST_F(EnvironmentTest, WrittenKeysFollowTheControls) {
    Environment env = LoadFrom("[Window]\r\nHeight=200\r\nDateFont=$00123456\r\n");
    env.ChooseMode(DisplayMode::Small); // unchecks the title
    EXPECT_FALSE(env.ShowTitle);
    env.ResWatch = false;
    env.WatchLowBox.SetText("abc");               // the up-down keeps 20
    env.WatchHighBox.SetText("150");              // the up-down stops at 100
    env.DateBack = ColourTable()[5].colour;       // 濃水色
    env.MemoFontColor = ColourTable()[16].colour; // ボタン面の色
    const ProfileFile file = Written(env, "[Window]\r\nHeight=200\r\n; mine\r\n");
    const auto key = [&](const char* section, const char* name) {
        return file.ReadString(section, name, "(missing)");
    };
    EXPECT_EQ(key("Window", "ShowTitle"), "0");
    EXPECT_EQ(key("Window", "SmallMode"), "1");
    EXPECT_EQ(key("Window", "NomalMode"), "0");
    EXPECT_EQ(key("Window", "TaRMode"), "0");
    EXPECT_EQ(key("Window", "ResWatchLow"), "20");
    EXPECT_EQ(key("Window", "ResWatchHigh"), "100");
    EXPECT_EQ(key("Window", "DateFont"), "$00123456");
    EXPECT_EQ(key("Window", "DateBack"), "clTeal");
    EXPECT_EQ(key("Window", "WinPos"), "3");
    EXPECT_EQ(key("Window", "Height"), "200");
    EXPECT_EQ(key("Window", "DateFormat"), "(missing)");
    EXPECT_EQ(key("Mem", "Color"), "$00E1FFFF");
    EXPECT_EQ(key("Mem", "FontColor"), "clBtnFace");
    EXPECT_EQ(key("Cal", "Position"), "1");

    // What was written opens again as it was left.
    const Environment again = LoadFrom([&] {
        std::ifstream in(m_ini, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }());
    EXPECT_EQ(again.Mode(), DisplayMode::Small);
    EXPECT_EQ(again.DateFont, env.DateFont);
    EXPECT_EQ(again.DateBack, env.DateBack);
}

TEST_F(EnvironmentTest, OkPreparesTheSettingsFileBeforeItIsPutInPlaceAndWordsAFailure) {
    const std::string before = "[Window]\r\nShowRes=1\r\n";
    std::ofstream(m_ini, std::ios::binary | std::ios::trunc) << before;
    const auto bytes = [&] {
        std::ifstream in(m_ini, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    Environment env = LoadFrom(before);
    env.ShowRes = false;
    std::string error;
    const auto replacement = BeginSaveEnvironment(m_platform, m_ini, env, error);
    ASSERT_TRUE(replacement) << error;
    EXPECT_EQ(bytes(), before);
    ASSERT_TRUE(replacement->Commit(error)) << error;
    EXPECT_EQ(ProfileFile(m_ini).ReadString("Window", "ShowRes", ""), "0");

    m_platform.replaceFailure = "disk full";
    const std::string written = bytes();
    env.ShowRes = true;
    const auto failing = BeginSaveEnvironment(m_platform, m_ini, env, error);
    ASSERT_TRUE(failing) << error;
    EXPECT_FALSE(failing->Commit(error));
    EXPECT_EQ(SettingsWriteFailure(m_ini, error),
              "設定ファイル(" + m_ini + ")に書き込めませんでした。\r\ndisk full");
    EXPECT_EQ(bytes(), written);
}

TEST_F(EnvironmentTest, ColourListsShowTheTableCustomColoursAndTheDialogItem) {
    int selected = -1;
    const auto lime = ColourList(ColourFromText("clLime"), selected);
    ASSERT_EQ(lime.size(), 19u);
    EXPECT_EQ(lime[static_cast<std::size_t>(selected)].text, "緑");
    EXPECT_EQ(lime.back().text, "その他 ...");
    EXPECT_TRUE(lime.back().other);
    EXPECT_EQ(
        ColourList(ColourFromText("clBtnFace"), selected)[static_cast<std::size_t>(selected)].text,
        "ボタン面の色");

    // A colour outside the table: "$" and six digits, selected, just before "その他 ...".
    auto list = ColourList(ColourFromText("$00123456"), selected);
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(selected, 18);
    EXPECT_EQ(list[18].text, "$123456");

    // A colour from the colour dialog goes above "その他 ..." and stays there.
    const int added = AddCustomColour(list, ColourFromText("$00ABCDEF"));
    EXPECT_EQ(added, 19);
    EXPECT_EQ(list[19].text, "$ABCDEF");
    EXPECT_TRUE(list[20].other);
    EXPECT_EQ(FindColour(list, ColourFromText("$00ABCDEF")), 19);
    EXPECT_EQ(FindColour(list, ColourFromText("clNone")), -1);
}

} // namespace
} // namespace tavolin::options
