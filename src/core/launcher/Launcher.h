#pragma once

#include "core/launcher/LauncherWindow.h"
#include "core/layout/Layout.h"
#include "core/settings/Settings.h"
#include "core/store/ButtonStore.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavolin {

class Platform;
class View;

// The running launcher's state and operations that are not pixels: the page's buttons, the
// settings, launching, pages and categories, the display mode, start-up and close.
class Launcher {
public:
    static constexpr int kMinPage = 1;
    static constexpr int kMaxPage = ButtonStore::kMaxPage;

    Launcher(Platform& platform, View& view, LauncherWindow& window, DataFiles files);

    ButtonStore& Store() { return m_store; }
    const ButtonStore& Store() const { return m_store; }
    WindowSettings& Settings() { return m_settings; }
    const WindowSettings& Settings() const { return m_settings; }
    const DataFiles& Files() const { return m_files; }
    // The window the launcher drives, for the commands that act on its behalf.
    LauncherWindow& Window() { return m_window; }

    // The store's operations that may have something to tell, telling it (see StoreMessages).
    void LoadPage();
    bool SavePage();
    // Puts a button value on slot n (see ButtonStore::AssignButton), with a warning when the
    // last page is full; the slot used, or 0. Throws for an unreadable shortcut.
    int AssignButton(const std::string& value, int n);
    // AssignButton without the warning for a full last page (`noRoom`), so the caller tells
    // the user once for many files.
    ButtonStore::Placement PlaceButton(const std::string& value, int n);
    // At start-up: the old category sections of the settings file move to a new data file.
    void MigrateIniCategories();

    // The path the next browse dialog opens at.
    const std::string& BrowseStartPath() const { return m_browseStartPath; }
    void SetBrowseStartPath(std::string path) { m_browseStartPath = std::move(path); }

    // The button clipboard: one button value for copy, cut and paste (not the system's).
    const std::string& ButtonClipboard() const { return m_clipboard; }
    void SetButtonClipboard(std::string value) { m_clipboard = std::move(value); }

    // What a press on an empty button does (browse for a file to register).
    void SetEmptyButtonHandler(std::function<void(int slot)> handler) {
        m_emptyButton = std::move(handler);
    }

    // Reads [Window] and the category list and shows `categoryName`, or the first category
    // when it is gone; the window loads the page once it has applied the settings.
    void LoadSettings(const std::string& categoryName,
                      const std::string& dateFontName = std::string(kDefaultDateFontName));
    // Writes the keys the window changes itself; false, after telling the user, on failure.
    bool SaveSettings();
    // At close: the settings, then the page on screen, each only when it changed (a data
    // file that does not exist yet is made). False when either could not be written; the
    // user has been told.
    bool Close();

    // Opens slot n's target (a folder in the file manager); an empty slot goes to the
    // empty-button handler.
    void ExecuteButton(int n);

    // The page field's text changed: the corrected text (within 1 to 32767, no leading zeros)
    // when it needs one, else the page is loaded. Throws ConversionError for a non-integer.
    std::optional<std::string> PageTextChanged(const std::string& text);
    // One page up (+1) or down (-1); nothing at either end.
    void StepPage(int delta);
    // The categories of the category menu, in file order (empty names are left out).
    std::vector<std::string> CategoryMenu() const;
    // Shows page 1 of a category (also of the current one).
    void ChooseCategory(const std::string& name);
    // The category before or after the current one in the menu; a beep at either end.
    void PreviousCategory() { StepCategory(-1); }
    void NextCategory() { StepCategory(1); }

    layout::ModeFlags Modes() const;
    // Sets one mode alone, lays the window out and saves; false when it is already set.
    bool SelectDisplayMode(layout::DisplayMode mode);
    // normal -> minimum -> title -> clock -> clock and information -> normal.
    void CycleDisplayMode();

    // The window's toggles: each changes its setting, has the window follow and saves.
    // Always on top (FrmStyle).
    void ToggleStayOnTop();
    // The information panel: resources and memory shown or hidden together.
    void ToggleInfo();
    // The option toolbar (ShowOpt).
    void ToggleOpt();
    // Large icons (BtnSize): the page is loaded again for icons of the new size.
    void ToggleIconSize();
    // Captions under the icons (BtnCaption).
    void ToggleCaptions();
    // The window into corner pos (1 to 4, or 5 for anywhere), which becomes the WinPos
    // setting; 0 lets the window take the corner of the quadrant it stands in. The window
    // saves the place it moved to.
    void PlaceAtCorner(int pos);

    // The settings the layout depends on.
    layout::LayoutFlags LayoutFlags(bool active) const;

private:
    void LoadPageBusy();
    void StepCategory(int delta);

    Platform& m_platform;
    View& m_view;
    LauncherWindow& m_window;
    DataFiles m_files;
    ButtonStore m_store;
    WindowSettings m_settings;
    std::string m_browseStartPath;
    std::string m_settingsWarning; // the reason last told for a settings file not written
    std::string m_clipboard;
    std::function<void(int)> m_emptyButton;
};

} // namespace tavolin
