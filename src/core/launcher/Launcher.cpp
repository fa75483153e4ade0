#include "core/launcher/Launcher.h"

#include "core/Platform.h"
#include "core/commands/Actions.h"
#include "core/helpers/Convert.h"
#include "core/helpers/Launch.h"
#include "core/helpers/MessageBox.h"
#include "core/launcher/Feedback.h"
#include "core/launcher/StoreMessages.h"
#include "core/path/PathHelpers.h"
#include "core/settings/MigrateIniCategories.h"
#include "core/settings/ProfileFile.h"

#include <algorithm>
#include <exception>
#include <iterator>

namespace tavolin {

Launcher::Launcher(Platform& platform, View& view, LauncherWindow& window, DataFiles files)
    : m_platform(platform), m_view(view), m_window(window), m_files(std::move(files)),
      m_store(platform, m_files.txt) {}

void Launcher::LoadPage() {
    ShowStoreNotices(m_view, m_files.txt, m_store.LoadPage());
}

bool Launcher::SavePage() {
    const ButtonStore::Saved saved = m_store.SavePage();
    ShowStoreNotices(m_view, m_files.txt, saved.notices);
    return saved.saved;
}

int Launcher::AssignButton(const std::string& value, int n) {
    const ButtonStore::Placement placed = PlaceButton(value, n);
    if (placed.noRoom)
        ShowNoRoom(m_view, m_store.CurrentPage(), value);
    return placed.slot;
}

ButtonStore::Placement Launcher::PlaceButton(const std::string& value, int n) {
    const ButtonStore::Assigned assigned = m_store.AssignButton(value, n);
    ShowStoreNotices(m_view, m_files.txt, assigned.notices);
    if (assigned.fault)
        std::rethrow_exception(assigned.fault);
    return assigned;
}

void Launcher::MigrateIniCategories() {
    ShowMigration(m_view, tavolin::MigrateIniCategories(m_platform, m_files.ini, m_files.txt),
                  m_files.ini, m_files.txt);
}

void Launcher::LoadSettings(const std::string& categoryName, const std::string& dateFontName) {
    const ProfileFile file(m_files.ini);
    m_settings = tavolin::LoadSettings(file, dateFontName);
    if (!file.LoadError().empty()) {
        // A settings file that cannot be read is never written over: said once, here, and
        // not again at each save.
        m_settingsWarning = file.LoadError();
        ShowMessageBox(m_view, file.LoadError(), MsgKind::Warning, msg_buttons::kOk);
    }
    m_store.SetCaptionLength(m_settings.BtnCaptionL);
    ShowStoreNotices(m_view, m_files.txt, m_store.LoadCategoryList());

    const auto& names = m_store.CategoryNames();
    const bool known =
        !categoryName.empty() && std::find(names.begin(), names.end(), categoryName) != names.end();
    m_store.SetCurrentCategory(known ? categoryName : names.front());
}

bool Launcher::SaveSettings() {
    const layout::Rect geometry = m_window.Geometry();
    m_settings.Left = geometry.left;
    m_settings.Top = geometry.top;
    m_settings.Width = geometry.width;
    m_settings.Height = geometry.height;
    std::string error;
    if (SaveSettingsFile(m_platform, m_files.ini, m_settings, error)) {
        m_settingsWarning.clear();
        return true;
    }
    // Saves follow every drag and mode change: the same failure is told once, and again
    // only after a save has worked in between.
    if (error != m_settingsWarning) {
        m_settingsWarning = error;
        ShowMessageBox(m_view,
                       "設定ファイル(" + m_files.ini + ")に書き込めませんでした。\r\n" + error,
                       MsgKind::Warning, msg_buttons::kOk);
    }
    return false;
}

bool Launcher::Close() {
    // Nothing is written that did not change: closing an untouched launcher writes no file
    // (the settings file skips a save that changes no line).
    const bool settings = SaveSettings();
    const ButtonStore::Saved page = m_store.SaveChangedPage();
    ShowStoreNotices(m_view, m_files.txt, page.notices);
    return settings && page.saved;
}

void Launcher::ExecuteButton(int n) {
    if (n < 1 || n > ButtonStore::kSlotCount)
        return;
    if (!m_store.IsUsed(n)) {
        // A start path whose file has gone would open the dialog nowhere: drop it.
        if (!m_browseStartPath.empty() && !m_platform.Attributes(m_browseStartPath).exists) {
            m_browseStartPath.clear();
        }
        if (m_emptyButton)
            m_emptyButton(n);
        return;
    }

    BusyCursor busy(m_view);
    PressedFace pressed(m_window, n);
    const std::string& folder = m_store.BtnPath(n);
    const std::string& file = m_store.BtnFile(n);
    if (file.empty()) {
        // A folder button, or a target that no longer exists (its whole path is kept as the
        // folder): folders open in the file manager, anything else goes through the launch
        // helper, which reports a missing path.
        if (m_platform.Attributes(folder).directory && m_platform.ShowFolder(folder))
            return;
        LaunchFile(m_platform, m_view, folder, "");
        return;
    }
    LaunchFile(m_platform, m_view, JoinPath(folder, file, m_platform.Style()), "");
}

void Launcher::LoadPageBusy() {
    BusyCursor busy(m_view);
    LoadPage();
}

std::optional<std::string> Launcher::PageTextChanged(const std::string& text) {
    if (text.empty())
        return std::to_string(kMinPage);
    const std::int32_t page = StrToInt(text);
    if (page < kMinPage)
        return std::to_string(kMinPage);
    if (page > kMaxPage)
        return std::to_string(kMaxPage);
    // Pages are matched as text in the data file: "07" would be a page of its own that the
    // up-down control never reaches.
    const std::string canonical = std::to_string(page);
    if (canonical != text)
        return canonical;
    m_store.SetCurrentPage(text);
    LoadPageBusy();
    return std::nullopt;
}

void Launcher::StepPage(int delta) {
    const int page = ToInteger(m_store.CurrentPage()).value_or(kMinPage);
    const int next = std::clamp(page + delta, kMinPage, kMaxPage);
    if (next == page)
        return;
    m_store.SetCurrentPage(std::to_string(next));
    LoadPageBusy();
}

std::vector<std::string> Launcher::CategoryMenu() const {
    std::vector<std::string> items;
    std::copy_if(m_store.CategoryNames().begin(), m_store.CategoryNames().end(),
                 std::back_inserter(items), [](const std::string& name) { return !name.empty(); });
    return items;
}

void Launcher::ChooseCategory(const std::string& name) {
    m_store.SetCurrentCategory(name);
    m_store.SetCurrentPage(std::to_string(kMinPage));
    LoadPageBusy();
}

void Launcher::StepCategory(int delta) {
    const auto items = CategoryMenu();
    const auto it = std::find(items.begin(), items.end(), m_store.CurrentCategory());
    const auto at = (it - items.begin()) + delta;
    if (it == items.end() || at < 0 || at >= std::ssize(items)) {
        m_view.Beep(MsgKind::Custom);
        return;
    }
    ChooseCategory(items[static_cast<std::size_t>(at)]);
}

layout::ModeFlags Launcher::Modes() const {
    return {m_settings.NomalMode, m_settings.SmallMode, m_settings.TitleMode, m_settings.TimeMode,
            m_settings.TaRMode};
}

bool Launcher::SelectDisplayMode(layout::DisplayMode mode) {
    if (layout::IsSet(Modes(), mode))
        return false;
    for (std::size_t i = 0; i < kModeFlags.size(); ++i)
        m_settings.*kModeFlags[i] = static_cast<layout::DisplayMode>(i) == mode;
    m_window.ArrangeLayout();
    SaveSettings();
    return true;
}

void Launcher::CycleDisplayMode() {
    SelectDisplayMode(layout::NextMode(layout::CurrentMode(Modes())));
}

void Launcher::ToggleStayOnTop() {
    m_settings.FrmStyle = !m_settings.FrmStyle;
    m_window.ApplyStayOnTop();
    SaveSettings();
}

void Launcher::ToggleInfo() {
    commands::ToggleInfo(m_settings);
    m_window.UpdateToggleButtons();
    m_window.ApplyInfoVisibility();
    SaveSettings();
}

void Launcher::ToggleOpt() {
    commands::ToggleOpt(m_settings);
    m_window.UpdateToggleButtons();
    m_window.ArrangeLayout();
    SaveSettings();
}

void Launcher::ToggleIconSize() {
    m_settings.BtnSize = !m_settings.BtnSize;
    {
        BusyCursor busy(m_view);
        LoadPage();
        m_window.ButtonLookChanged();
    }
    SaveSettings();
}

void Launcher::ToggleCaptions() {
    m_settings.BtnCaption = !m_settings.BtnCaption;
    {
        BusyCursor busy(m_view);
        m_window.ButtonLookChanged();
    }
    SaveSettings();
}

void Launcher::PlaceAtCorner(int pos) {
    if (pos != 0)
        m_settings.WinPos = pos;
    m_window.PlaceAtCorner(pos);
}

layout::LayoutFlags Launcher::LayoutFlags(bool active) const {
    layout::LayoutFlags f;
    f.showTitle = m_settings.ShowTitle;
    f.showRes = m_settings.ShowRes;
    f.showMem = m_settings.ShowMem;
    f.showDate = m_settings.ShowDate;
    f.showOpt = m_settings.ShowOpt;
    f.taRRight = m_settings.TaRRight;
    f.modes = Modes();
    f.winPos = m_settings.WinPos;
    f.active = active;
    return f;
}

} // namespace tavolin
