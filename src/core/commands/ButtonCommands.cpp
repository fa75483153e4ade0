#include "core/commands/ButtonCommands.h"

#include "core/Platform.h"
#include "core/commands/ButtonMenuModel.h"
#include "core/helpers/Launch.h"
#include "core/helpers/MessageBox.h"
#include "core/launcher/Feedback.h"
#include "core/launcher/Launcher.h"
#include "core/path/PathHelpers.h"

namespace tavolin::commands {

namespace {

bool IsSlot(int n) {
    return n >= 1 && n <= ButtonStore::kSlotCount;
}

} // namespace

std::string ResetQuestion(const std::string& category, const std::string& page) {
    return "カテゴリー <" + category + "> ページ <" + page + "> のボタンをすべてリセットしても" +
           "いいですか？";
}

std::string ButtonCommands::Target(int n) const {
    const ButtonStore& store = m_launcher.Store();
    return JoinPath(store.BtnPath(n), store.BtnFile(n), m_platform.Style());
}

void ButtonCommands::Copy(int n) {
    if (!IsSlot(n))
        return;
    const ButtonStore& store = m_launcher.Store();
    m_launcher.SetButtonClipboard(EncodeButtonValue(store.BtnPath(n), store.BtnFile(n),
                                                    store.BtnTitle(n), m_platform.Style()));
}

void ButtonCommands::Cut(int n) {
    if (!IsSlot(n))
        return;
    Copy(n);
    Delete(n);
}

void ButtonCommands::Paste(int n) {
    if (!IsSlot(n) || m_launcher.ButtonClipboard().empty())
        return;
    m_launcher.AssignButton(m_launcher.ButtonClipboard(), n);
    m_launcher.SavePage();
}

void ButtonCommands::Delete(int n) {
    if (!IsSlot(n))
        return;
    m_launcher.Store().ClearButton(n);
    m_launcher.SavePage();
}

bool ButtonCommands::ResetPage() {
    ButtonStore& store = m_launcher.Store();
    const MsgResult answer =
        ShowMessageBox(m_view, ResetQuestion(store.CurrentCategory(), store.CurrentPage()),
                       MsgKind::Warning, msg_buttons::kOkCancel);
    if (answer != MsgResult::Ok)
        return false;
    for (int n = 1; n <= ButtonStore::kSlotCount; ++n)
        store.ClearButton(n);
    m_launcher.SavePage();
    return true;
}

std::string ButtonCommands::TitleOf(int n) const {
    return IsSlot(n) ? m_launcher.Store().BtnTitle(n) : std::string();
}

bool ButtonCommands::Rename(int n, const std::optional<std::string>& input) {
    if (!IsSlot(n) || !input)
        return false;
    ButtonStore& store = m_launcher.Store();
    const std::string title = input->empty() ? store.BtnFile(n) : *input;
    if (title == store.BtnTitle(n))
        return false;
    store.SetTitle(n, title);
    m_launcher.SavePage();
    return true;
}

void ButtonCommands::PrepareBrowse(int n) {
    const bool used = IsSlot(n) && m_launcher.Store().IsUsed(n);
    m_launcher.SetBrowseStartPath(used ? Target(n) : std::string());
}

void ButtonCommands::OpenFolder(int n) {
    if (!IsSlot(n) || !m_launcher.Store().IsUsed(n))
        return;
    BusyCursor busy(m_view);
    PressedFace pressed(m_window, n);
    const PathStyle style = m_platform.Style();
    const std::string target = Target(n);
    if (m_platform.Attributes(target).exists) {
        if (!m_platform.ShowItem(target))
            LaunchFile(m_platform, m_view, target, "");
        return;
    }
    // The target has gone: its folder, where the user can look for it.
    const std::string trimmed = TrimTrailingBackslashes(target, style);
    const std::size_t sep = LastSeparator(trimmed, style);
    std::string folder = sep == std::string::npos ? trimmed : trimmed.substr(0, sep + 1);
    folder = TrimTrailingBackslashes(folder, style);
    if (!m_platform.ShowFolder(folder))
        LaunchFile(m_platform, m_view, folder, "");
}

void ButtonCommands::OpenHelp(int n) {
    if (!IsSlot(n) || !m_launcher.Store().IsUsed(n))
        return;
    BusyCursor busy(m_view);
    LaunchFile(m_platform, m_view, HelpFileOf(Target(n), m_platform.Style()), "");
}

void ButtonCommands::OpenReadme(int n) {
    if (!IsSlot(n) || !m_launcher.Store().IsUsed(n))
        return;
    BusyCursor busy(m_view);
    const std::string folder = m_launcher.Store().BtnPath(n);
    const std::optional<std::string> readme = ReadmeOf(folder, m_platform);
    LaunchFile(m_platform, m_view,
               readme.value_or(JoinPath(folder, "Readme.txt", m_platform.Style())), "");
}

} // namespace tavolin::commands
