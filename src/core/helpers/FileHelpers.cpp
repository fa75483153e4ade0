#include "core/helpers/FileHelpers.h"

#include "core/Errors.h"
#include "core/View.h"
#include "core/helpers/MessageBox.h"
#include "core/text/TextFile.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace tavolin {

namespace {

// How long a deleted file may stay visible (another process may hold it open with shared
// delete access) before the delete counts as failed.
constexpr auto kDeleteWaitLimit = std::chrono::seconds(2);
constexpr auto kDeletePoll = std::chrono::milliseconds(10);

bool ExistsNoFollow(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

} // namespace

bool CheckPath(View& view, const Platform& platform, const std::string& path) {
    const FileAttributes attributes = platform.Attributes(path);
    if (attributes.exists && attributes.directory)
        return true;
    ShowMessageBox(view, "パスが存在しません。", MsgKind::Warning, msg_buttons::kOkOnly);
    return false;
}

bool CheckFile(View& view, const Platform& platform, const std::string& path) {
    if (platform.Attributes(path).exists)
        return true;
    ShowMessageBox(view, "ファイルが存在しません。", MsgKind::Warning, msg_buttons::kOkOnly);
    return false;
}

bool DeleteFileOrAbort(const std::string& path) {
    const fs::path file = text::FsPath(path);
    std::error_code ec;
    fs::remove(file, ec);
    if (ec)
        throw SilentAbort();
    const auto deadline = std::chrono::steady_clock::now() + kDeleteWaitLimit;
    while (ExistsNoFollow(file)) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw SilentAbort();
        std::this_thread::sleep_for(kDeletePoll);
    }
    return true;
}

std::vector<DeleteOutcome> ShellDelete(Platform& platform, View& view,
                                       const std::vector<std::string>& paths, DeleteMode mode,
                                       Confirm confirm) {
    if (paths.empty())
        return {};
    if (confirm == Confirm::Yes) {
        const std::string question =
            (paths.size() == 1 ? "'" + paths.front() + "' を"
                               : "これらの " + std::to_string(paths.size()) + " 個の項目を") +
            (mode == DeleteMode::Recycle ? "ごみ箱に移しますか？" : "削除しますか？");
        if (ShowMessageBox(view, question, MsgKind::Confirmation, msg_buttons::kYesNo) !=
            MsgResult::Yes) {
            return {};
        }
    }
    std::vector<DeleteOutcome> outcomes = platform.Delete(paths, mode);
    std::string failures;
    for (const auto& outcome : outcomes) {
        if (!outcome.done)
            failures += "\r\n" + outcome.path + " : " + outcome.error;
    }
    if (!failures.empty()) {
        ShowMessageBox(view, "次の項目を削除できませんでした。" + failures, MsgKind::Warning,
                       msg_buttons::kOkOnly);
    }
    return outcomes;
}

} // namespace tavolin
