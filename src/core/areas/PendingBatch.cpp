#include "core/areas/PendingBatch.h"

#include "core/Platform.h"
#include "core/helpers/FileHelpers.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"
#include "core/settings/Settings.h"

namespace tavolin::areas {

namespace {

constexpr std::size_t kNamesInQuestion = 10;

std::string_view MarkerOf(AreaKind area) {
    return area == AreaKind::Delete ? kDelMarker : kGomMarker;
}

int IdlePicture(AreaKind area) {
    return area == AreaKind::Delete ? kDelPicture : kGomPicture;
}

} // namespace

PendingBatch::PendingBatch(Platform& platform, View& view, AreasWindow& window,
                           const WindowSettings& settings)
    : m_platform(platform), m_view(view), m_window(window), m_settings(settings) {}

bool PendingBatch::PendingFor(AreaKind area) const {
    return !m_pending.empty() && m_pending.back() == MarkerOf(area);
}

void PendingBatch::Append(std::vector<std::string> paths, AreaKind area) {
    if (paths.empty())
        return;
    if (!m_pending.empty()) {
        m_queue.push_back({std::move(paths), area});
        return;
    }
    Start(std::move(paths), area);
}

void PendingBatch::Start(std::vector<std::string> paths, AreaKind area) {
    m_pending = std::move(paths);
    m_pending.emplace_back(MarkerOf(area));
    const int flashes = area == AreaKind::Delete ? m_settings.DelFlash : m_settings.GomFlash;
    m_countdown = 2 * flashes;
    m_window.SetCountdownRunning(true);
    m_window.ShowWaitingHint(area, true);
    if (m_countdown <= 0)
        tmDelTimer();
}

void PendingBatch::tmDelTimer() {
    if (m_pending.empty()) {
        m_window.SetCountdownRunning(false);
        return;
    }
    const bool even = m_countdown % 2 == 0;
    if (PendingFor(AreaKind::Delete)) {
        m_window.ShowAreaPicture(AreaKind::Delete, even ? kDelBlinkPicture : kDelPicture);
    } else {
        m_window.ShowAreaPicture(AreaKind::Recycle, even ? kGomBlinkPicture : kGomPicture);
    }
    if (--m_countdown >= 1)
        return;
    CarryOut();
}

void PendingBatch::CarryOut() {
    m_window.SetCountdownRunning(false);
    m_window.ShowAreaPicture(AreaKind::Delete, kDelPicture);
    m_window.ShowAreaPicture(AreaKind::Recycle, kGomPicture);
    m_countdown = 0;
    const bool forGood = PendingFor(AreaKind::Delete);
    m_window.ShowWaitingHint(AreaKind::Delete, false);
    m_window.ShowWaitingHint(AreaKind::Recycle, false);
    const bool confirm = forGood ? m_settings.DelMsg : m_settings.GomMsg;
    const std::vector<std::string> paths(m_pending.begin(), m_pending.end() - 1);
    // The list stays filled while the delete runs (its confirmation and its report are
    // modal), so that files dropped meanwhile queue behind it. Files that could not be
    // deleted or trashed are reported by name and stay where they are.
    ShellDelete(m_platform, m_view, paths, forGood ? DeleteMode::Permanent : DeleteMode::Recycle,
                confirm ? Confirm::Yes : Confirm::No);
    m_pending.clear();
    StartNextQueued();
}

void PendingBatch::StartNextQueued() {
    if (m_queue.empty() || !m_pending.empty())
        return;
    Queued next = std::move(m_queue.front());
    m_queue.pop_front();
    Start(std::move(next.paths), next.area);
}

void PendingBatch::AreaClick(AreaKind area) {
    if (!PendingFor(area))
        return;
    m_window.SetCountdownRunning(false);
    m_window.ShowAreaPicture(area, IdlePicture(area));
    const MsgResult answer = ShowMessageBox(m_view, CancelQuestion(m_pending, m_platform.Style()),
                                            MsgKind::Information, msg_buttons::kYesNo);
    if (answer == MsgResult::Yes) {
        m_pending.clear();
        m_countdown = 0;
        m_window.ShowWaitingHint(area, false);
        StartNextQueued();
        return;
    }
    m_window.SetCountdownRunning(true);
}

void PendingBatch::AreaDoubleClick(AreaKind area) {
    m_view.SetBusy(true);
    const bool shown =
        area == AreaKind::Delete ? m_platform.ShowComputer() : m_platform.ShowRecycleBin();
    m_view.SetBusy(false);
    if (!shown) {
        ShowMessageBox(m_view,
                       area == AreaKind::Delete ? "「ﾏｲ ｺﾝﾋﾟｭｰﾀ」を開けませんでした。"
                                                : "「ごみ箱」を開けませんでした。",
                       MsgKind::Warning, msg_buttons::kOkOnly);
    }
}

void PendingBatch::Discard() {
    m_queue.clear();
    if (m_pending.empty())
        return;
    m_pending.clear();
    m_countdown = 0;
    m_window.SetCountdownRunning(false);
    m_window.ShowAreaPicture(AreaKind::Delete, kDelPicture);
    m_window.ShowAreaPicture(AreaKind::Recycle, kGomPicture);
    m_window.ShowWaitingHint(AreaKind::Delete, false);
    m_window.ShowWaitingHint(AreaKind::Recycle, false);
}

std::string PendingBatch::CancelQuestion(const std::vector<std::string>& pendingList,
                                         PathStyle style) {
    if (pendingList.empty())
        return {};
    const bool forGood = pendingList.back() == kDelMarker;
    const std::size_t count = pendingList.size() - 1;
    std::string names = "\r\n";
    for (std::size_t i = 0; i < count && i < kNamesInQuestion; ++i) {
        const std::string& path = pendingList[i];
        const std::size_t sep = LastSeparator(path, style);
        names += (sep == std::string::npos ? path : path.substr(sep + 1)) + "\r\n";
    }
    if (count > kNamesInQuestion) {
        names += "※残り " + std::to_string(count - kNamesInQuestion) + " 個省略";
    }
    return std::string(forGood ? "ファイルの削除を取り消しますか？\r\n"
                               : "ファイルのごみ箱行きを取り消しますか？\r\n") +
           names;
}

} // namespace tavolin::areas
