#include "core/drop/LauncherDrop.h"

#include "core/Platform.h"
#include "core/View.h"
#include "core/helpers/Launch.h"
#include "core/helpers/MessageBox.h"
#include "core/launcher/Launcher.h"
#include "core/path/PathHelpers.h"

#include <exception>
#include <optional>

namespace tavolin::drop {

namespace {

bool StrictlyInside(const layout::Rect& r, DropPoint p) {
    return p.x > r.left && p.x < r.Right() && p.y > r.top && p.y < r.Bottom();
}

bool InsideWithBorders(const layout::Rect& r, DropPoint p) {
    return p.x >= r.left && p.x <= r.Right() && p.y >= r.top && p.y <= r.Bottom();
}

} // namespace

LauncherDrop::LauncherDrop(Launcher& launcher, Platform& platform, View& view, DropWindow& window)
    : m_launcher(launcher), m_platform(platform), m_view(view), m_window(window) {}

void LauncherDrop::DropFileTarget1DragOver(TShiftState shiftState, DropPoint point,
                                           std::uint32_t& effect) {
    const layout::ModeFlags modes = m_launcher.Modes();
    if (modes.title || modes.time || modes.taR)
        m_window.BringToFront();
    const DropRects rects = m_window.Rects();
    effect = effect::kCopy;
    if ((shiftState & shift::kShift) && StrictlyInside(rects.bar, point))
        effect = effect::kLink;
    if (StrictlyInside(rects.del, point) || StrictlyInside(rects.gom, point)) {
        effect = effect::kMove;
    }
}

void LauncherDrop::DropFileTarget1Drop(TShiftState shiftState, DropPoint point,
                                       std::uint32_t& effect,
                                       const std::vector<std::string>& files) {
    effect = effect::kNone;
    const DropRects rects = m_window.Rects();
    std::optional<areas::AreaKind> area;
    if (InsideWithBorders(rects.del, point))
        area = areas::AreaKind::Delete;
    else if (InsideWithBorders(rects.gom, point))
        area = areas::AreaKind::Recycle;

    if (area) {
        // The area queues the batch behind one still counting down.
        if (m_areaSink)
            m_areaSink(*area, files);
        m_window.BringToFront();
        return;
    }

    int n = 0;
    for (int i = 1; i <= ButtonStore::kSlotCount && n == 0; ++i) {
        if (InsideWithBorders(rects.buttons[static_cast<std::size_t>(i - 1)], point))
            n = i;
    }
    {
        BusyCursor busy(m_view);
        // A page that could not be saved while overflowing has been reported; it stays on
        // screen for the next save.
        bool save = true;
        if (shiftState & shift::kShift)
            PassAsParameters(n, files);
        else
            save = Register(n, files);
        if (save)
            m_launcher.SavePage();
    }
    m_window.BringToFront();
}

void LauncherDrop::PassAsParameters(int n, const std::vector<std::string>& files) {
    const ButtonStore& store = m_launcher.Store();
    const std::string target =
        n != 0 && store.IsUsed(n) ? JoinPath(store.BtnPath(n), store.BtnFile(n), m_platform.Style())
                                  : std::string();
    const bool program = !target.empty() && m_platform.IsProgram(target);
    for (const std::string& path : files) {
        if (program) {
            LaunchFileWithArguments(m_platform, m_view, target, {path});
        } else {
            ShowMessageBox(m_view,
                           "ファイル( " + path + " )を\r\nパラメータとして渡せませんでした。",
                           MsgKind::Information, msg_buttons::kOkOnly);
        }
    }
}

bool LauncherDrop::Register(int n, const std::vector<std::string>& files) {
    ButtonStore& store = m_launcher.Store();
    for (std::size_t i = 0; i < files.size(); ++i) {
        // A used button is never replaced: the file goes to the next empty one after it.
        while (n != 0 && store.IsUsed(n))
            n = n < ButtonStore::kSlotCount ? n + 1 : 0;
        ButtonStore::Placement placed;
        try {
            placed = m_launcher.PlaceButton(files[i], n);
        } catch (const std::exception& e) {
            // One unreadable file ends the drop; the files placed before it stay.
            ShowError(m_view, e.what());
            return true;
        }
        if (placed.saveFailed)
            return false;
        if (placed.noRoom) {
            // The last page is full: no later file can be placed either.
            std::string names;
            for (std::size_t k = i; k < files.size(); ++k)
                names += "\r\n" + files[k];
            ShowMessageBox(m_view,
                           "ページ " + std::to_string(ButtonStore::kMaxPage) +
                               " まで空きボタンがないため、次のファイルを登録できませんでした。" +
                               names,
                           MsgKind::Warning, msg_buttons::kOkOnly);
            return true;
        }
        if (n != 0)
            n = n + 1 > ButtonStore::kSlotCount ? 0 : n + 1;
    }
    return true;
}

} // namespace tavolin::drop
