#include "core/launcher/StoreMessages.h"

#include "core/datafile/DataFile.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"
#include "core/settings/MigrateIniCategories.h"

namespace tavolin {

namespace {

void ShowStoreNotice(View& view, const std::string& dataFile, const StoreNotice& notice) {
    switch (notice.kind) {
    case StoreNotice::Kind::Unreadable:
        ShowError(view, datafile::ReadFailure(dataFile, notice.detail));
        return;
    case StoreNotice::Kind::Foreign:
        ShowError(view, text::ForeignEncodingMessage("データファイル", dataFile, notice.encoding));
        return;
    case StoreNotice::Kind::NotSaved:
        ShowError(view, "データファイル(" + dataFile +
                            ")を読み込めないため、ページを保存できませんでした。" +
                            (notice.detail.empty() ? "" : "\r\n" + notice.detail));
        return;
    case StoreNotice::Kind::WriteFailed:
        ShowError(view, datafile::WriteFailure(dataFile, notice.detail));
        return;
    case StoreNotice::Kind::LineBreak:
        ShowMessageBox(view,
                       "名前に改行文字が含まれているため、ボタンに登録できません。\r\n( " +
                           BlankLineBreaks(notice.detail) + " )",
                       MsgKind::Warning, msg_buttons::kOkOnly);
        return;
    }
}

} // namespace

void ShowStoreNotices(View& view, const std::string& dataFile, const StoreNotices& notices) {
    for (const StoreNotice& notice : notices)
        ShowStoreNotice(view, dataFile, notice);
}

void ShowNoRoom(View& view, const std::string& page, const std::string& value) {
    ShowMessageBox(view,
                   "ページ " + page +
                       " に空きボタンがなく、次のページもないため、\r\n"
                       "ファイル( " +
                       TargetPart(value) + " )を登録できませんでした。",
                   MsgKind::Warning, msg_buttons::kOkOnly);
}

void ShowMigration(View& view, const IniMigration& migration, const std::string& settingsFile,
                   const std::string& dataFile) {
    using Result = IniMigration::Result;
    switch (migration.result) {
    case Result::Nothing:
    case Result::Moved:
        return;
    case Result::SettingsUnreadable:
        ShowError(view, "設定ファイル(" + settingsFile + ")を読み込めませんでした。\r\n" +
                            migration.error);
        return;
    case Result::DataFileNotMade:
        ShowError(view, datafile::CreateFailure(dataFile, migration.error));
        return;
    case Result::SettingsNotWritten:
        ShowError(view, "設定ファイル(" + settingsFile + ")に書き込めませんでした。\r\n" +
                            migration.error);
        return;
    }
}

} // namespace tavolin
