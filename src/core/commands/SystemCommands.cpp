#include "core/commands/SystemCommands.h"

#include "core/Errors.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"

namespace tavolin::commands {

namespace {

const std::string kRetryAdvice = "使用中のアプリケーションを終わるなどして、再度行って下さい。";

} // namespace

EndCommandTexts EndTexts(SessionEnd how, PathStyle style) {
    const bool windows = style == PathStyle::Windows;
    const std::string unstable =
        windows ? "処理が中断されたのでWindowsが不安定になっている可能性があります。\r\n"
                : "処理が中断されたのでデスクトップのセッションが不安定になっている可能性があります"
                  "。\r\n";
    switch (how) {
    case SessionEnd::RestartShell:
        if (windows) {
            // Windows 10 and 11 have no restart of Windows alone: the command signs out.
            return {"サインアウトして、Windows のセッションを終了します。よろしいですか？",
                    "サインアウトすることが出来ませんでした。\r\n" + unstable + kRetryAdvice};
        }
        return {"ログアウトして、デスクトップのセッションを終了します。よろしいですか？",
                "ログアウトすることが出来ませんでした。\r\n" + unstable + kRetryAdvice};
    case SessionEnd::Reboot:
        return {"コンピュータを再起動します。よろしいですか？",
                "コンピュータを再起動することが出来ませんでした。\r\n" + unstable + kRetryAdvice};
    case SessionEnd::PowerOff:
        return {windows ? "Windowsを終了し、コンピュータの電源を切ります。よろしいですか？"
                        : "デスクトップのセッションを終了し、コンピュータの電源を切ります。よろしい"
                          "ですか？",
                "コンピュータの電源を切ることが出来ませんでした。\r\n" + unstable + kRetryAdvice};
    }
    return {};
}

EndOutcome RunEndCommand(Platform& platform, View& view, SessionWindow& window, SessionEnd how) {
    const EndCommandTexts texts = EndTexts(how, platform.Style());
    if (ShowMessageBox(view, texts.question, MsgKind::Warning, msg_buttons::kOkCancel) !=
        MsgResult::Ok) {
        return EndOutcome::Cancelled;
    }
    window.SaveForSessionEnd();
    window.HideForSessionEnd();
    if (platform.EndSession(how))
        return EndOutcome::Requested;
    window.ShowAfterSessionEnd();
    ShowMessageBox(view, texts.failure, MsgKind::Error, msg_buttons::kOk);
    return EndOutcome::Failed;
}

bool ClearRecentList(Platform& platform, View& view, bool ask) {
    if (ask && ShowMessageBox(view, "[最近使ったファイル]の一覧を削除してもいいですか？",
                              MsgKind::Information, msg_buttons::kOkCancel) != MsgResult::Ok) {
        return false;
    }
    if (platform.ClearRecentDocuments())
        return true;
    ShowMessageBox(view, "[最近使ったファイル]の一覧が、何らかの理由で削除されませんでした。",
                   MsgKind::Information, msg_buttons::kOk);
    return false;
}

std::vector<RecentMenuEntry> RecentMenuEntries(const Platform& platform, bool showTargets) {
    std::vector<RecentMenuEntry> entries;
    for (const RecentDocument& doc : platform.RecentDocuments()) {
        std::string path = showTargets && !doc.target.empty() ? doc.target : doc.path;
        bool exists = true;
        try {
            path = ExpandLongName(path, platform);
        } catch (const ConversionError&) {
            exists = false; // listed under the path as it stands
        }
        entries.push_back({std::move(path), exists});
    }
    return entries;
}

} // namespace tavolin::commands
