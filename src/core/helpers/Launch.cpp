#include "core/helpers/Launch.h"

#include "core/Platform.h"
#include "core/View.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"

namespace tavolin {

std::string WorkingFolderOf(const std::string& file, PathStyle style) {
    const auto pos = LastSeparator(file, style);
    if (pos == std::string::npos)
        return {};
    if (style == PathStyle::Posix)
        return pos == 0 ? std::string("/") : file.substr(0, pos);
    if (file[pos] == ':')
        return file.substr(0, pos + 1); // "C:prog.exe" runs in "C:"
    std::string folder = file.substr(0, pos);
    // A program in the root of a drive runs in the root itself, "C:\", not in "C:".
    if (!folder.empty() && folder.back() == ':')
        folder += '\\';
    return folder;
}

namespace {

// Tells the user what an open result means; false for the failures that mean nothing ran.
bool ReportOpenResult(View& view, const std::string& file, int code) {
    switch (code) {
    case open_result::kNotFound:
        ShowError(view, file + "\r\nが存在しません。");
        return false;
    case open_result::kOutOfMemory:
        ShowError(view, "メモリが不足しています。\r\n"
                        "いくつかアプリケーションを終了して再度、実行して下さい。");
        return false;
    case open_result::kEntryBadCommand:
        ShowError(view, file + "\r\nの Exec= の引用符が閉じていないため、実行できません。");
        return false;
    case open_result::kEntryNoCommand:
        ShowError(view, file + "\r\nに Exec= がないため、実行できません。");
        return false;
    case open_result::kEntryTryExecMissing:
        ShowError(view, file + "\r\nの TryExec= のプログラムが存在しないため、実行できません。");
        return false;
    case open_result::kEntryProgramMissing:
        ShowError(view, file + "\r\nの Exec= のプログラムが存在しないため、実行できません。");
        return false;
    case open_result::kNoAssociation:
        ShowError(view, "関連付けされたアプリケーションがありません。");
        return false;
    default:
        break;
    }
    if (code < 32) {
        ShowMessageBox(view, "実行時にエラーが発生しました。(" + std::to_string(code) + ")",
                       MsgKind::Warning, msg_buttons::kOkOnly);
    }
    return true;
}

} // namespace

bool LaunchFile(Platform& platform, View& view, const std::string& file,
                const std::string& parameters) {
    return ReportOpenResult(
        view, file, platform.Open(file, parameters, WorkingFolderOf(file, platform.Style())));
}

bool LaunchFileWithArguments(Platform& platform, View& view, const std::string& file,
                             const std::vector<std::string>& arguments) {
    return ReportOpenResult(
        view, file,
        platform.OpenWithArguments(file, arguments, WorkingFolderOf(file, platform.Style())));
}

} // namespace tavolin
