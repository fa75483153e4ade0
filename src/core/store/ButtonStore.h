#pragma once

#include "core/datafile/DataFile.h"
#include "core/path/PathStyle.h"
#include "core/store/ShownCopies.h"
#include "core/text/TextFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {

class Platform;
class View;

// Where a button's icon comes from. Either the shell icon of `path` (the user interface asks
// the platform for it and uses kNoIconImage when it gets none), or a fallback picture of the
// option image list when `path` is empty.
struct ButtonIcon {
    std::string path;
    int image = -1; // index into ilOpt, used when path is empty; -1 for an empty slot

    friend bool operator==(const ButtonIcon&, const ButtonIcon&) = default;
};

// The launcher's buttons: the category names of the data file and the 24 slots of the page on
// screen, with the operations that read and write the button data file.
//
// Data file lines: "[name]" starts a category, "{" a comment, "page:number=value" is a button
// of the enclosing category; anything else is kept as it is. Only the category names and one
// page are held in memory; the file is read line by line and rewritten atomically.
class ButtonStore {
public:
    static constexpr int kSlotCount = 24;
    static constexpr int kMaxPage = 32767;
    static constexpr int kMissingTargetImage = 26; // ilOpt picture for a target that is gone
    static constexpr int kNoIconImage = 29;        // ilOpt picture when the shell has no icon
    static constexpr int kDefaultCaptionLength = 10;
    static constexpr int kMinCaptionLength = 4;
    static constexpr int kMaxCaptionLength = 99;
    static inline const std::string kDefaultCategory = datafile::kDefaultCategory;

    ButtonStore(Platform& platform, View& view, std::string dataFilePath,
                std::string settingsFilePath);

    const std::string& DataFilePath() const { return m_dataFile; }
    const std::string& SettingsFilePath() const { return m_settingsFile; }

    // --- state ---------------------------------------------------------------------------
    // The category names in file order; never empty.
    const std::vector<std::string>& CategoryNames() const { return m_categoryNames; }

    // The category and page on screen. The page is text, compared with the file as text
    // ("01" is not page 1). Setting them does not load anything; call LoadPage.
    const std::string& CurrentCategory() const { return m_category; }
    void SetCurrentCategory(std::string name) { m_category = std::move(name); }
    const std::string& CurrentPage() const { return m_page; }
    void SetCurrentPage(std::string page) { m_page = std::move(page); }

    // While false, LoadPage does nothing (start-up loads settings first).
    bool PageLoadEnabled() const { return m_pageLoadEnabled; }
    void SetPageLoadEnabled(bool enabled) { m_pageLoadEnabled = enabled; }

    // Longest caption in code page 932 bytes (kept within 4 to 99), and whether icons are
    // big. Both take effect for slots assigned from then on (the next LoadPage).
    int CaptionLength() const { return m_captionLength; }
    void SetCaptionLength(int bytes);
    bool BigIcons() const { return m_bigIcons; }
    void SetBigIcons(bool big) { m_bigIcons = big; }

    // Slots are numbered 1 to 24. A slot is used exactly when its BtnPath is not empty.
    const std::string& BtnTitle(int n) const { return SlotAt(n).title; }
    const std::string& BtnPath(int n) const { return SlotAt(n).path; }
    const std::string& BtnFile(int n) const { return SlotAt(n).file; }
    const ButtonIcon& Icon(int n) const { return SlotAt(n).icon; }
    bool IsUsed(int n) const { return !SlotAt(n).path.empty(); }
    // The caption shown under the icon: the title cut to CaptionLength() bytes when it was
    // assigned ("..." marks a cut). A rename keeps the old caption until the next load.
    const std::string& Caption(int n) const { return SlotAt(n).caption; }
    // Renames a slot (title and hint). Does not save; call SavePage.
    void SetTitle(int n, std::string title);

    // Called after every change of the slots, the page or the category names, so that the
    // window can redraw; Revision() counts those changes.
    void SetChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    std::uint64_t Revision() const { return m_revision; }
    // Counts the page loads (a page change, a reload, an overflow to the next page), so
    // that what is kept for the page on screen, such as its icons, is made anew with it.
    std::uint64_t PageLoads() const { return m_pageLoads; }

    // --- operations ------------------------------------------------------------------------
    // Reads the category names of the data file; the default name alone when it has none or
    // does not exist.
    void LoadCategoryList();

    // Loads the current page of the current category into the slots, from the first section
    // of that name. A missing data file leaves the slots as they are. A later line for a slot
    // takes it from an earlier one. Button lines with a number that is not a decimal integer
    // are skipped; when the page is already full a further line is skipped too.
    void LoadPage();

    // Writes the current page into the data file: its lines at the end of the first section
    // of the current category, in place of the lines the page showed; every other line kept
    // byte for byte (a line that lost its slot to a later one, a later section of the same
    // name); a new section at the end when there is none. The file is replaced atomically.
    // False (after telling the user) when it could not be written; the old file is then
    // untouched. A data file of a foreign encoding is never written.
    bool SavePage();

    // Puts a button value or a bare path on slot n; n outside 1 to 24 takes the first free
    // slot. When none is free the page is saved, the next page is loaded and the target alone
    // is assigned there (a title of the value is dropped), page after page up to 32767; past
    // that the user is told and nothing is assigned. A target holding a line break or NUL
    // cannot stand in the data file: the user is told and nothing is assigned; a shortcut's
    // title has those characters blanked. Returns the slot used, or 0.
    // Throws what the shortcut resolver throws for an unreadable shortcut.
    int AssignButton(const std::string& value, int n);

    // AssignButton without the message for a full last page: `noRoom` says that no page up
    // to 32767 had room, so the caller can tell the user once for many files; `saveFailed`
    // that the full page could not be saved before the next one (the user has been told, and
    // the page stays on screen).
    struct Placement {
        int slot = 0;
        bool noRoom = false;
        bool saveFailed = false;
    };
    Placement PlaceButton(const std::string& value, int n);

    // Empties slot n.
    void ClearButton(int n);

    // The icon source of a target: image 26 when it does not exist, else its shell icon
    // (a bare drive "C:" asks for "C:\").
    ButtonIcon AddButtonIcon(const std::string& target) const;

    // Once at start-up: when the settings file exists and the data file does not, moves the
    // categories of its [Category] and [Category:<name>] sections into a new data file and
    // erases those sections. Nothing otherwise.
    void MigrateIniCategories();

private:
    struct Slot {
        std::string title, path, file, caption;
        ButtonIcon icon;
    };

    enum class Overflow { NextPage, Skip };

    const Slot& SlotAt(int n) const;
    Slot& SlotAt(int n);
    int Assign(const std::string& value, int n, Overflow overflow, Placement* placement = nullptr);
    void LoadCurrentPage();
    bool IsCategoryLine(std::string_view line, text::Encoding encoding) const;
    bool KeyIsPage(std::string_view line, text::Encoding encoding) const;
    bool DataFileExists() const;
    // Whether there is a data file to read; a folder or another kind of file in its place is
    // reported.
    bool DataFileToRead();
    void ReportReadError(const std::string& reason = {});
    // Whether the data file is of a foreign encoding (UTF-16, UTF-32): the user is told once,
    // and the file is neither read nor written.
    bool Foreign(text::Encoding encoding);
    // Tells the user that a target with a line break or NUL cannot be a button.
    void RefuseLineBreak(const std::string& target);
    void ReportWriteFailure(const std::string& error);
    void Changed();

    Platform& m_platform;
    View& m_view;
    PathStyle m_style;
    std::string m_dataFile;
    std::string m_settingsFile;
    std::vector<std::string> m_categoryNames{kDefaultCategory};
    std::string m_category = kDefaultCategory;
    std::string m_page = "1";
    bool m_pageLoadEnabled = true;
    int m_captionLength = kDefaultCaptionLength;
    bool m_bigIcons = false;
    std::array<Slot, kSlotCount> m_slots;
    ShownCopies m_shownLines; // what SavePage replaces
    bool m_foreignTold = false;
    text::FileKind m_toldKind = text::FileKind::Missing; // what stood at the data file's path
    int m_quiet = 0; // while above 0, changes are reported once at the end
    std::function<void()> m_changed;
    std::uint64_t m_revision = 0;
    std::uint64_t m_pageLoads = 0;
};

// A title cut to `length` code page 932 bytes: kept whole when it fits, else its first
// length - 3 bytes (length - 4 when a double-byte character would be split) and "...".
std::string CutCaption(const std::string& title, int length);

} // namespace tavolin
