#include "core/commands/Actions.h"
#include "core/commands/HelpTopics.h"
#include "core/commands/SystemCommands.h"

#include "core/settings/Settings.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

using namespace tavolin;
using namespace tavolin::commands;
using tavolin::testing::FakePlatform;
using tavolin::testing::FakeView;

namespace {

class FakeSessionWindow : public SessionWindow {
public:
    void SaveForSessionEnd() override { calls.push_back("save"); }
    void HideForSessionEnd() override { calls.push_back("hide"); }
    void ShowAfterSessionEnd() override { calls.push_back("show"); }
    std::vector<std::string> calls;
};

} // namespace

TEST(ActionsTest, ShortcutsAsStoredAndTheSingleLetterKeys) {
    // An action's id is its place in the list.
    ASSERT_EQ(ActionTable().size(), kActionCount);
    const auto spec = [](ActionId id) -> const ActionSpec& {
        return ActionTable()[static_cast<std::size_t>(id)];
    };
    const std::tuple<ActionId, const char*, int> stored[] = {
        {ActionId::acEndPGM, "acEndPGM", 88},
        {ActionId::acPos, "acPos", 8205},
        {ActionId::acSet, "acSet", 16467},
        {ActionId::acRecentClr, "acRecentClr", 8238},
        {ActionId::acWinReStart, "acWinReStart", 32814},
        {ActionId::acWinReboot, "acWinReboot", 32804},
        {ActionId::acSHUTDOWN, "acSHUTDOWN", 32803},
        {ActionId::acHelpC, "acHelpC", 0},
        {ActionId::acOpt, "acOpt", 'O'},
    };
    for (const auto& [id, name, value] : stored) {
        EXPECT_EQ(spec(id).name, name);
        EXPECT_EQ(spec(id).shortcut, value) << name;
    }
    // X H V T S B A C N M U I O: a letter without any modifier.
    std::string letters;
    for (const ActionSpec& a : ActionTable()) {
        const ShortcutKey k = DecodeShortcut(a.shortcut);
        if (k.key >= 'A' && k.key <= 'Z' && !k.shift && !k.ctrl && !k.alt) {
            letters += static_cast<char>(k.key);
        }
    }
    EXPECT_EQ(letters, "XHVTSBACNMUIO");
    const ShortcutKey ctrlS = DecodeShortcut(spec(ActionId::acSet).shortcut);
    EXPECT_TRUE(ctrlS.key == 'S' && ctrlS.ctrl && !ctrlS.shift && !ctrlS.alt);
    const ShortcutKey altEnd = DecodeShortcut(spec(ActionId::acSHUTDOWN).shortcut);
    EXPECT_TRUE(altEnd.key == kKeyEnd && altEnd.alt && !altEnd.ctrl);

    // Every toolbar button runs an action of the list, and no action has two buttons.
    std::set<ActionId> seen;
    for (int row = 0; row < 2; ++row) {
        for (const ToolbarButton& b : ToolbarRow(row)) {
            if (b.button.empty())
                continue;
            EXPECT_LT(static_cast<std::size_t>(b.action), kActionCount) << b.button;
            EXPECT_TRUE(seen.insert(b.action).second) << b.button;
        }
    }
    EXPECT_EQ(seen.size(), 17u);
}

TEST(ActionsTest, TogglesOfTheWindow) {
    // Memory shown and resources hidden (possible through the options dialog): one press
    // hides both; the next shows both. The date is not touched.
    WindowSettings s;
    s.ShowRes = false;
    s.ShowMem = true;
    s.ShowDate = true;
    ASSERT_TRUE(InfoShown(s));
    EXPECT_EQ(InfoCaption(InfoShown(s)), "←");
    ToggleInfo(s);
    EXPECT_FALSE(s.ShowRes || s.ShowMem);
    EXPECT_EQ(InfoCaption(InfoShown(s)), "→");
    EXPECT_EQ(InfoHint(InfoShown(s)), "情報の表示");
    ToggleInfo(s);
    EXPECT_TRUE(s.ShowRes && s.ShowMem && s.ShowDate);
}

TEST(SystemCommandsTest, SessionEndAsksSavesAndComesBackOnARefusal) {
    struct Row {
        const char* name;
        MsgResult answer;
        bool accepted;
        EndOutcome outcome;
        std::vector<std::string> calls;
        std::size_t messages;
    };
    const Row rows[] = {
        {"cancelled", MsgResult::Cancel, true, EndOutcome::Cancelled, {}, 1},
        {"accepted", MsgResult::Ok, true, EndOutcome::Requested, {"save", "hide"}, 1},
        {"refused", MsgResult::Ok, false, EndOutcome::Failed, {"save", "hide", "show"}, 2},
    };
    for (const SessionEnd how :
         {SessionEnd::RestartShell, SessionEnd::Reboot, SessionEnd::PowerOff}) {
        for (const Row& row : rows) {
            FakePlatform platform;
            FakeView view;
            FakeSessionWindow window;
            platform.endSessionResult = row.accepted;
            view.answers = {row.answer};
            EXPECT_EQ(RunEndCommand(platform, view, window, how), row.outcome) << row.name;
            EXPECT_EQ(window.calls, row.calls) << row.name;
            EXPECT_EQ(platform.sessionEnds.size(), row.answer == MsgResult::Ok ? 1u : 0u);
            ASSERT_EQ(view.messages.size(), row.messages) << row.name;
            const EndCommandTexts texts = EndTexts(how, PathStyle::Posix);
            EXPECT_EQ(view.messages[0].text, texts.question);
            EXPECT_EQ(view.messages[0].kind, MsgKind::Warning);
            EXPECT_EQ(view.messages[0].buttons, msg_buttons::kOkCancel);
            if (row.messages == 2) {
                EXPECT_EQ(view.messages[1].text, texts.failure);
                EXPECT_EQ(view.messages[1].kind, MsgKind::Error);
            }
        }
    }
}

TEST(SystemCommandsTest, SessionEndTextsSayWhatHappensOnEachSystem) {
    // Ending the session signs out on Windows and logs out on Linux, and says so.
    EXPECT_EQ(EndTexts(SessionEnd::RestartShell, PathStyle::Windows).question,
              "サインアウトして、Windows のセッションを終了します。よろしいですか？");
    EXPECT_EQ(EndTexts(SessionEnd::RestartShell, PathStyle::Windows)
                  .failure.rfind("サインアウトすることが出来ませんでした。\r\n", 0),
              0u);
    const ActionSpec& endSession = ActionTable()[static_cast<std::size_t>(ActionId::acWinReStart)];
    EXPECT_EQ(ActionForSystem(endSession, PathStyle::Windows).caption, "サインアウト...");
    EXPECT_EQ(ActionForSystem(endSession, PathStyle::Windows).hint, "サインアウト...");
    EXPECT_EQ(ActionForSystem(endSession, PathStyle::Posix).caption, "ログアウト...");
    EXPECT_EQ(ActionForSystem(ActionTable()[static_cast<std::size_t>(ActionId::acWinReboot)],
                              PathStyle::Posix)
                  .caption,
              "コンピュータの再起動...");
    EXPECT_EQ(EndTexts(SessionEnd::PowerOff, PathStyle::Windows).failure,
              "コンピュータの電源を切ることが出来ませんでした。\r\n"
              "処理が中断されたのでWindowsが不安定になっている可能性があります。\r\n"
              "使用中のアプリケーションを終わるなどして、再度行って下さい。");
    for (const SessionEnd how :
         {SessionEnd::RestartShell, SessionEnd::Reboot, SessionEnd::PowerOff}) {
        const EndCommandTexts linux = EndTexts(how, PathStyle::Posix);
        EXPECT_EQ(linux.question.find("Windows"), std::string::npos);
        EXPECT_EQ(linux.failure.find("Windows"), std::string::npos);
    }
    EXPECT_EQ(EndTexts(SessionEnd::Reboot, PathStyle::Posix).question,
              EndTexts(SessionEnd::Reboot, PathStyle::Windows).question);
}

TEST(SystemCommandsTest, ClearingTheRecentList) {
    FakePlatform platform;
    FakeView view;
    platform.recent = {{"/d/a.txt", "/d/a.txt", "a.txt", 2}};

    view.answers = {MsgResult::Cancel};
    EXPECT_FALSE(ClearRecentList(platform, view, true));
    EXPECT_EQ(platform.recent.size(), 1u);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "[最近使ったファイル]の一覧を削除してもいいですか？");
    EXPECT_EQ(view.messages[0].kind, MsgKind::Information);

    view.messages.clear();
    EXPECT_TRUE(ClearRecentList(platform, view, false)); // RecentMsg off: no question
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(platform.recent.empty());

    platform.clearRecentResult = false;
    EXPECT_FALSE(ClearRecentList(platform, view, false));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "[最近使ったファイル]の一覧が、何らかの理由で削除されませんでした。");
}

TEST(SystemCommandsTest, RecentMenuListsNewestFirstAndKeepsMissingFiles) {
    FakePlatform platform(PathStyle::Windows);
    platform.realFiles = false;
    platform.AddFile("C:\\DOCS\\REPORT~1.DOC");
    platform.AddFolder("C:\\DOCS");
    platform.AddFile("C:\\RECENT\\b.lnk");
    platform.AddFolder("C:\\RECENT");
    platform.entryNames["C:\\DOCS\\REPORT~1.DOC"] = "Report 2024.doc";
    platform.recent = {
        {"C:\\RECENT\\b.lnk", "C:\\DOCS\\REPORT~1.DOC", "", 3},
        {"C:\\RECENT\\gone.lnk", "C:\\OLD\\gone.txt", "", 2},
    };
    const auto targets = RecentMenuEntries(platform, true);
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].path, "C:\\DOCS\\Report 2024.doc");
    EXPECT_TRUE(targets[0].exists);
    EXPECT_EQ(targets[1].path, "C:\\OLD\\gone.txt");
    EXPECT_FALSE(targets[1].exists);

    const auto links = RecentMenuEntries(platform, false);
    EXPECT_EQ(links[0].path, "C:\\RECENT\\b.lnk");
    EXPECT_FALSE(links[1].exists);
}

TEST(HelpTopicsTest, PagesByContextAndTheTopicFinder) {
    std::set<std::string_view> pages;
    for (const HelpTopic& t : HelpTopics())
        EXPECT_TRUE(pages.insert(t.page).second) << t.page;
    for (int context : {22, 23, 24, 25, 26, 27, 28, 29, 31, 32, 33}) {
        EXPECT_NE(HelpTopicOf(context).context, kHelpContents) << context;
    }
    EXPECT_EQ(HelpTopicOf(30).page, "index.html");
    EXPECT_EQ(HelpTopicOf(kHelpMainWindow).page, "main.html");

    const std::vector<HelpPageText> texts = {
        {kHelpContents, "目次", "ランチャー メモ"},
        {27, "アドレスバー", "URL を入力してEnter"},
        {29, "メモ", "Memo.txt に保存"},
        {28, "カレンダー", "今日の日付"},
    };
    EXPECT_EQ(FindTopics(texts, "メモ"), (std::vector<int>{29, kHelpContents}));
    EXPECT_EQ(FindTopics(texts, "url　enter"), std::vector<int>{27}); // full-width blank
    EXPECT_EQ(FindTopics(texts, "memo.TXT"), std::vector<int>{29});
    EXPECT_TRUE(FindTopics(texts, "存在しない語").empty());
    EXPECT_EQ(FindTopics(texts, " ").size(), texts.size());
}
