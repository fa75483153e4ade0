#pragma once

#include "core/datafile/DataFile.h"
#include "core/path/PathStyle.h"
#include "core/store/ShownCopies.h"
#include "core/store/StoreNotice.h"
#include "core/text/TextFile.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavolin {

class Platform;

// Where a button's icon comes from: the shell icon of `path` (kNoIconImage when there is
// none), or, with no path, a picture of the option image list.
struct ButtonIcon {
    std::string path;
    int image = -1; // index into ilOpt, used when path is empty; -1 for an empty slot

    friend bool operator==(const ButtonIcon&, const ButtonIcon&) = default;
};

// The launcher's buttons: the category names of the data file and the 24 slots of the page on
// screen. Only the names and one page are held in memory. The operations that read or write
// the file return what the user is to be told (StoreNotices) and tell no one themselves.
class ButtonStore {
public:
    static constexpr int kSlotCount = 24;
    static constexpr int kMaxPage = 32767;
    static constexpr int kMissingTargetImage = 26; // ilOpt picture for a target that is gone
    static constexpr int kNoIconImage = 29;        // ilOpt picture when the shell has no icon
    static inline const std::string kDefaultCategory = datafile::kDefaultCategory;

    ButtonStore(Platform& platform, std::string dataFilePath);

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
    void SetPageLoadEnabled(bool enabled) { m_pageLoadEnabled = enabled; }

    // Longest caption in code page 932 bytes (BtnCaptionL's range), for slots assigned from
    // then on.
    void SetCaptionLength(int bytes);

    // Slots are numbered 1 to 24. A slot is used exactly when its BtnPath is not empty.
    const std::string& BtnTitle(int n) const { return SlotAt(n).title; }
    const std::string& BtnPath(int n) const { return SlotAt(n).path; }
    const std::string& BtnFile(int n) const { return SlotAt(n).file; }
    const ButtonIcon& Icon(int n) const { return SlotAt(n).icon; }
    bool IsUsed(int n) const { return !SlotAt(n).path.empty(); }
    // The title as cut when it was assigned (a rename keeps it until the next load).
    const std::string& Caption(int n) const { return SlotAt(n).caption; }
    // Renames a slot (title and hint). Does not save; call SavePage.
    void SetTitle(int n, std::string title);

    // Called after every change of the slots, the page or the names; Revision() counts them.
    void SetChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    std::uint64_t Revision() const { return m_revision; }
    // Counts the page loads, so that what is kept for the page (its icons) is made anew.
    std::uint64_t PageLoads() const { return m_pageLoads; }

    // Reads the category names of the data file; the default name alone when there is none.
    [[nodiscard]] StoreNotices LoadCategoryList();

    // Loads the current page from the first section of the current category; a missing file
    // leaves the slots as they are. A later line for a slot takes it from an earlier one; a
    // line whose number is no decimal integer, or that finds the page full, is skipped.
    [[nodiscard]] StoreNotices LoadPage();

    // Writes the page's lines at the end of the category's first section in place of the
    // page's lines as loaded (also those a later line for the same slot overrode), every other
    // line kept byte for byte (a new section at the end when there is none). Lines another
    // program adds meanwhile are kept. Not `saved`, with a notice saying why, when it could not
    // be written.
    struct Saved {
        bool saved = false;
        StoreNotices notices;
    };
    [[nodiscard]] Saved SavePage();
    // SavePage when a slot changed since the page was loaded or saved, or when there is no
    // data file yet; saved when nothing needed writing.
    [[nodiscard]] Saved SaveChangedPage();

    // Puts a button value or a bare path on slot n (outside 1 to 24: the first free one).
    // With none free the page is saved and the target alone goes to the next page, up to
    // 32767. A target with a line break or NUL is refused (a LineBreak notice; a shortcut's
    // title has them blanked). `slot`: the slot used, or 0; `noRoom`: the last page is full;
    // `saveFailed`: the full page could not be saved; `fault`: the shortcut could not be read,
    // for the caller to throw once it has told the notices met before.
    struct Placement {
        int slot = 0;
        bool noRoom = false;
        bool saveFailed = false;
    };
    struct Assigned : Placement {
        StoreNotices notices;
        std::exception_ptr fault;
    };
    [[nodiscard]] Assigned AssignButton(const std::string& value, int n);

    // Empties slot n.
    void ClearButton(int n);

    // The icon source of a target: image 26 when it does not exist, else its shell icon.
    ButtonIcon AddButtonIcon(const std::string& target) const;

private:
    struct Slot {
        std::string title, path, file, caption;
        ButtonIcon icon;
    };

    enum class Overflow { NextPage, Skip };

    const Slot& SlotAt(int n) const;
    Slot& SlotAt(int n);
    int Assign(const std::string& value, int n, Overflow overflow, Placement* placement = nullptr);
    // The slot a value goes to: n, or the first free one, or one on a next page (`nextPage`)
    // after the full page is saved; 0 when there is none.
    int FreeSlot(int n, Overflow overflow, Placement* placement, bool& nextPage);
    // Resolves a shortcut and expands short names; false when a new button is refused.
    bool ResolveTarget(std::string& target, std::string& stored, bool& hasTitle, bool registering);
    // SavePage, its notices kept with the operation under way.
    bool Save();
    // The page's lines as SavePage writes them, in slot order.
    std::vector<std::string> PageLines() const;
    void LoadCurrentPage();
    bool IsCategoryLine(std::string_view line, text::Encoding encoding) const;
    bool KeyIsPage(std::string_view line, text::Encoding encoding) const;
    // The data file to read; nothing when there is none, or after a notice why it cannot be.
    std::unique_ptr<datafile::Reader> OpenDataFile();
    void Note(StoreNotice::Kind kind, std::string detail = {},
              text::Encoding encoding = text::Encoding::Cp932);
    // The notices met since the last call.
    StoreNotices TakeNotices() { return std::exchange(m_notices, {}); }
    // Whether the data file is of a foreign encoding, neither read nor written (told once).
    bool Foreign(text::Encoding encoding);
    void Changed();

    Platform& m_platform;
    PathStyle m_style;
    std::string m_dataFile;
    std::vector<std::string> m_categoryNames{kDefaultCategory};
    std::string m_category = kDefaultCategory;
    std::string m_page = "1";
    bool m_pageLoadEnabled = true;
    int m_captionLength;
    std::array<Slot, kSlotCount> m_slots;
    ShownCopies m_shownLines; // what SavePage replaces
    bool m_foreignTold = false;
    text::FileKind m_toldKind = text::FileKind::Missing; // what stood at the data file's path
    int m_quiet = 0; // while above 0, changes are reported once at the end
    std::function<void()> m_changed;
    std::uint64_t m_revision = 0;
    std::uint64_t m_pageLoads = 0;
    bool m_pageChanged = false; // since the page was loaded or saved
    StoreNotices m_notices;     // of the operation under way
};

// A title cut to `length` code page 932 bytes: its first length - 3 (or - 4, not to split a
// character) and "...".
std::string CutCaption(const std::string& title, int length);

} // namespace tavolin
