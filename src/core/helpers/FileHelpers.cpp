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

bool ClearFolderAt(const fs::path& folder, RemoveFolder removeFolder) {
    bool cleared = true;
    std::error_code ec;
    // Listing errors (missing folder, no access) leave the folder as if it were empty.
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        std::error_code statusError;
        // symlink_status: a link is looked at as a link and never followed out of the folder.
        const auto status = fs::symlink_status(entry, statusError);
        if (!statusError && fs::is_directory(status)) {
            if (!ClearFolderAt(entry, RemoveFolder::Yes))
                cleared = false;
        } else {
            std::error_code removeError;
            if (!fs::remove(entry, removeError) || removeError)
                cleared = false;
        }
    }
    if (removeFolder == RemoveFolder::Yes) {
        std::error_code removeError;
        if (!fs::remove(folder, removeError) || removeError)
            cleared = false;
    }
    return cleared;
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

bool ClearFolder(const std::string& folder, RemoveFolder removeFolder) {
    return ClearFolderAt(text::FsPath(folder), removeFolder);
}

bool CopyFileReplacing(const std::string& source, const std::string& target) {
    const fs::path to = text::FsPath(target);
    if (ExistsNoFollow(to))
        DeleteFileOrAbort(target);
    std::error_code ec;
    fs::copy_file(text::FsPath(source), to, fs::copy_options::overwrite_existing, ec);
    return !ec;
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
        const bool recycle = mode == DeleteMode::Recycle;
        std::string question;
        if (paths.size() == 1) {
            question = "'" + paths.front() + "' を" +
                       (recycle ? "ごみ箱に移しますか？" : "削除しますか？");
        } else {
            question = "これらの " + std::to_string(paths.size()) + " 個の項目を" +
                       (recycle ? "ごみ箱に移しますか？" : "削除しますか？");
        }
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
