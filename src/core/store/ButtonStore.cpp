#include "core/store/ButtonStore.h"

#include "core/Platform.h"
#include "core/datafile/SectionEdit.h"
#include "core/path/PathHelpers.h"
#include "core/settings/Settings.h"
#include "core/text/Cp932.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

namespace tavolin {

namespace {

using datafile::CategoryLineName;
using datafile::DecimalNumber;
using datafile::RawKeyPart;
using datafile::RawNumberPart;
using Reader = datafile::Reader;
using text::Encoding;

// The byte length of the UTF-8 sequence that starts with `lead`.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

} // namespace

std::string CutCaption(const std::string& title, int length) {
    length = std::clamp(length, kMinCaptionLength, kMaxCaptionLength);
    const auto limit = static_cast<std::size_t>(length);
    if (text::Cp932Length(title) <= limit)
        return title;
    // Keep whole characters within limit - 3 bytes; a double-byte character that would be
    // split is left out, so the caption is length or length - 1 bytes with the "...".
    const std::size_t keep = limit - 3;
    std::size_t bytes = 0;
    std::size_t pos = 0;
    while (pos < title.size()) {
        const std::size_t n = std::min(Utf8SequenceLength(static_cast<unsigned char>(title[pos])),
                                       title.size() - pos);
        const std::size_t width = text::Cp932Length(std::string_view(title).substr(pos, n));
        if (bytes + width > keep)
            break;
        bytes += width;
        pos += n;
    }
    return title.substr(0, pos) + "...";
}

ButtonStore::ButtonStore(Platform& platform, std::string dataFilePath)
    : m_platform(platform), m_style(platform.Style()), m_dataFile(std::move(dataFilePath)),
      m_captionLength(WindowSettings{}.BtnCaptionL) {}

const ButtonStore::Slot& ButtonStore::SlotAt(int n) const {
    if (n < 1 || n > kSlotCount)
        throw std::out_of_range("button slot out of range");
    return m_slots[static_cast<std::size_t>(n - 1)];
}

ButtonStore::Slot& ButtonStore::SlotAt(int n) {
    return const_cast<Slot&>(std::as_const(*this).SlotAt(n));
}

void ButtonStore::SetCaptionLength(int bytes) {
    m_captionLength = std::clamp(bytes, kMinCaptionLength, kMaxCaptionLength);
}

void ButtonStore::SetTitle(int n, std::string title) {
    SlotAt(n).title = BlankLineBreaks(std::move(title));
    m_pageChanged = true;
    Changed();
}

void ButtonStore::Changed() {
    ++m_revision;
    if (m_quiet == 0 && m_changed)
        m_changed();
}

void ButtonStore::Note(StoreNotice::Kind kind, std::string detail, Encoding encoding) {
    m_notices.push_back(StoreNotice{kind, std::move(detail), encoding});
}

std::unique_ptr<Reader> ButtonStore::OpenDataFile() {
    const text::FileKind kind = text::KindAt(m_dataFile);
    if (kind != text::FileKind::Missing && kind != text::FileKind::Regular) {
        // Told once while it stays so: the category list and the page both look at the file.
        if (std::exchange(m_toldKind, kind) != kind)
            Note(StoreNotice::Kind::Unreadable, text::ReadFaultText(kind));
        return nullptr;
    }
    m_toldKind = kind;
    if (kind == text::FileKind::Missing)
        return nullptr;
    auto reader = std::make_unique<Reader>(m_dataFile);
    if (reader->Failed())
        Note(StoreNotice::Kind::Unreadable);
    if (reader->Failed() || Foreign(reader->FileEncoding()))
        return nullptr;
    return reader;
}

bool ButtonStore::Foreign(Encoding encoding) {
    if (text::IsOwnEncoding(encoding))
        return false;
    if (!m_foreignTold) {
        m_foreignTold = true;
        Note(StoreNotice::Kind::Foreign, {}, encoding);
    }
    return true;
}

StoreNotices ButtonStore::LoadCategoryList() {
    m_categoryNames.assign(1, kDefaultCategory);
    if (const auto reader = OpenDataFile()) {
        std::vector<std::string> names;
        std::string_view line;
        for (reader->SkipToCategoryLine(); reader->Next(line); reader->SkipToCategoryLine())
            names.push_back(*CategoryLineName(line, reader->FileEncoding()));
        if (reader->Failed())
            Note(StoreNotice::Kind::Unreadable, reader->FailureText());
        if (!names.empty())
            m_categoryNames = std::move(names);
    }
    Changed();
    return TakeNotices();
}

bool ButtonStore::IsCategoryLine(std::string_view line, Encoding encoding) const {
    // A "[" alone names the category "", as the category list shows it.
    return CategoryLineName(line, encoding) == m_category;
}

bool ButtonStore::KeyIsPage(std::string_view line, Encoding encoding) const {
    const std::string_view key = RawKeyPart(line);
    return !key.empty() && datafile::Decode(key, encoding) == m_page;
}

StoreNotices ButtonStore::LoadPage() {
    if (m_pageLoadEnabled)
        LoadCurrentPage();
    return TakeNotices();
}

void ButtonStore::LoadCurrentPage() {
    ++m_pageLoads;
    m_pageChanged = false;
    m_shownLines.Clear();
    const auto reader = OpenDataFile();
    if (!reader) {
        Changed();
        return;
    }
    m_slots.fill(Slot{});
    // One change report for the whole page, also when an assignment throws.
    struct Quiet {
        int& depth;
        explicit Quiet(int& d) : depth(d) { ++depth; }
        ~Quiet() { --depth; }
    };
    std::optional<Quiet> quiet(std::in_place, m_quiet);

    const Encoding encoding = reader->FileEncoding();
    std::string_view line;
    bool found = false;
    while (!found) {
        reader->SkipToCategoryLine();
        if (!reader->Next(line))
            break;
        found = IsCategoryLine(line, encoding);
    }
    // The line each slot shows: a later line for the same slot takes it from an earlier one.
    std::array<std::string, kSlotCount> shown;
    std::array<bool, kSlotCount> numbered{};
    const auto place = [&](std::string_view raw, int number) {
        const int slot = Assign(ValuePart(datafile::Decode(raw, encoding)), number, Overflow::Skip);
        if (slot == 0)
            return;
        shown[static_cast<std::size_t>(slot - 1)] = raw;
        numbered[static_cast<std::size_t>(slot - 1)] = number != 0;
    };
    // Lines without a slot of their own (a number outside 1 to 24) take the free slots left
    // after the numbered lines, so that a numbered line never hides them.
    std::vector<std::string> anywhere;
    while (found && reader->Next(line)) {
        if (line.empty() || line.front() == '{')
            continue;
        if (line.front() == '[')
            break;
        if (!KeyIsPage(line, encoding))
            continue;
        const auto number = DecimalNumber(RawNumberPart(line));
        if (!number)
            continue;
        if (*number >= 1 && *number <= kSlotCount) {
            m_shownLines.Show(line);
            place(line, *number);
        } else if (anywhere.size() < kSlotCount) { // no more can find a slot
            anywhere.emplace_back(line);
        }
    }
    for (const std::string& raw : anywhere)
        place(raw, 0);
    for (int n = 1; n <= kSlotCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        if (IsUsed(n) && !numbered[i])
            m_shownLines.Show(shown[i]);
    }
    quiet.reset();
    if (reader->Failed())
        Note(StoreNotice::Kind::Unreadable, reader->FailureText());
    Changed();
}

void ButtonStore::ClearButton(int n) {
    SlotAt(n) = Slot{};
    m_pageChanged = true;
    Changed();
}

ButtonIcon ButtonStore::AddButtonIcon(const std::string& target) const {
    if (!m_platform.Attributes(target).exists)
        return ButtonIcon{{}, kMissingTargetImage};
    if (m_style == PathStyle::Windows && !target.empty() && target.back() == ':') {
        return ButtonIcon{target + "\\", -1};
    }
    return ButtonIcon{target, -1};
}

ButtonStore::Assigned ButtonStore::AssignButton(const std::string& value, int n) {
    Assigned assigned;
    try {
        assigned.slot = Assign(value, n, Overflow::NextPage, &assigned);
    } catch (...) {
        assigned.fault = std::current_exception();
    }
    assigned.notices = TakeNotices();
    return assigned;
}

int ButtonStore::Assign(const std::string& value, int n, Overflow overflow, Placement* placement) {
    std::string stored = value;
    std::string target = TargetPart(stored);
    const bool registering = overflow != Overflow::Skip;
    if (registering && HasLineBreakOrNul(target)) {
        Note(StoreNotice::Kind::LineBreak, target);
        return 0;
    }
    bool nextPage = false;
    const int slot = FreeSlot(n, overflow, placement, nextPage);
    if (slot == 0)
        return 0;
    // On the next page the target goes alone: a title of the value is not carried over.
    if (nextPage)
        stored = target;
    bool hasTitle = target != stored;
    if (!ResolveTarget(target, stored, hasTitle, registering))
        return 0;

    Slot& s = SlotAt(slot);
    m_pageChanged = m_pageChanged || registering;
    s.path = FolderOf(target, m_platform);
    if (s.path.empty()) {
        // Nothing to point at (an empty value): the slot stays empty.
        s = Slot{};
        Changed();
        return slot;
    }
    s.icon = AddButtonIcon(target);
    s.file = FileNameOf(target, m_platform);
    s.title = TitlePart(hasTitle ? stored : target, m_style);
    s.caption = CutCaption(s.title, m_captionLength);
    Changed();
    return slot;
}

int ButtonStore::FreeSlot(int n, Overflow overflow, Placement* placement, bool& nextPage) {
    int slot = (n >= 1 && n <= kSlotCount) ? n : 0;
    while (slot == 0) {
        for (int i = 1; i <= kSlotCount && slot == 0; ++i) {
            if (!IsUsed(i))
                slot = i;
        }
        if (slot != 0)
            break;
        // The page is full. While a page is being loaded the file must not be rewritten:
        // the caller keeps the line instead.
        if (overflow == Overflow::Skip)
            return 0;
        int page = 0;
        const auto [end, ec] = std::from_chars(m_page.data(), m_page.data() + m_page.size(), page);
        if (ec != std::errc() || end != m_page.data() + m_page.size() || page < 1 ||
            page >= kMaxPage) {
            if (placement != nullptr)
                placement->noRoom = true;
            return 0;
        }
        if (!Save()) {
            if (placement != nullptr)
                placement->saveFailed = true;
            return 0;
        }
        m_page = std::to_string(page + 1);
        m_slots.fill(Slot{});
        LoadCurrentPage();
        nextPage = true;
    }
    return slot;
}

bool ButtonStore::ResolveTarget(std::string& target, std::string& stored, bool& hasTitle,
                                bool registering) {
    if (m_platform.IsShortcut(target)) {
        try {
            const ShortcutTarget resolved = m_platform.ResolveShortcut(target);
            // A shortcut may point at a name that no data file line can hold: a new button
            // is refused, a page being loaded shows the shortcut itself.
            if (HasLineBreakOrNul(resolved.target)) {
                if (registering) {
                    Note(StoreNotice::Kind::LineBreak, resolved.target);
                    return false;
                }
            } else {
                target = resolved.target;
                if (!hasTitle && !resolved.title.empty()) {
                    stored = target + " <TS>" + BlankLineBreaks(resolved.title) + "<TE>";
                    hasTitle = true;
                }
            }
        } catch (const std::exception&) {
            // A page being loaded shows the shortcut itself; a new button is not made.
            if (registering)
                throw;
        }
    }
    if (target.find('~') != std::string::npos) {
        try {
            target = ExpandLongName(target, m_platform);
        } catch (const std::exception&) {
            // The short form stays; nothing is shown.
        }
    }
    return true;
}

ButtonStore::Saved ButtonStore::SaveChangedPage() {
    if (!m_pageChanged && text::KindAt(m_dataFile) != text::FileKind::Missing)
        return Saved{true, {}};
    return SavePage();
}

ButtonStore::Saved ButtonStore::SavePage() {
    const bool saved = Save();
    return Saved{saved, TakeNotices()};
}

std::vector<std::string> ButtonStore::PageLines() const {
    std::vector<std::string> lines;
    for (int n = 1; n <= kSlotCount; ++n) {
        const Slot& s = SlotAt(n);
        if (!s.path.empty())
            lines.push_back(m_page + ":" + std::to_string(n) + "=" +
                            EncodeButtonValue(s.path, s.file, s.title, m_style));
    }
    return lines;
}

bool ButtonStore::Save() {
    datafile::SectionEdit edit{m_category, PageLines(), {}, {}};
    // The page's lines as the file's encoding spells them (nothing where it cannot), for
    // telling which of the section's lines the page showed.
    std::vector<std::optional<std::string>> pageRaw;
    Encoding encoding = Encoding::Cp932;
    edit.begin = [&](Encoding read) {
        encoding = read;
        pageRaw.clear();
        for (const auto& line : edit.lines)
            pageRaw.push_back(datafile::Encode(line, encoding));
        m_shownLines.BeginSave(pageRaw);
    };
    edit.drop = [&](std::string_view line) {
        return KeyIsPage(line, encoding) && m_shownLines.Drop(line);
    };
    using Result = datafile::Replaced::Result;
    const datafile::Replaced replaced = datafile::ReplaceLines(m_platform, m_dataFile, edit);
    switch (replaced.result) {
    case Result::Done: {
        std::vector<std::string> written;
        for (const auto& line : edit.lines)
            written.push_back(*datafile::Encode(line, replaced.encoding));
        m_shownLines.Saved(pageRaw, written);
        m_pageChanged = false;
        return true;
    }
    case Result::Unreadable:
        Note(StoreNotice::Kind::NotSaved, replaced.reason);
        break;
    case Result::Foreign:
        Foreign(replaced.encoding); // never written over
        break;
    case Result::WriteFailed:
        if (!replaced.reason.empty())
            Note(StoreNotice::Kind::WriteFailed, replaced.reason);
        break;
    }
    return false;
}

} // namespace tavolin
