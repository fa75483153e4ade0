#include "core/store/ButtonStore.h"

#include "core/Platform.h"
#include "core/datafile/Placement.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"
#include "core/settings/ProfileFile.h"
#include "core/text/Cp932.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
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
    length = std::clamp(length, ButtonStore::kMinCaptionLength, ButtonStore::kMaxCaptionLength);
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

ButtonStore::ButtonStore(Platform& platform, View& view, std::string dataFilePath,
                         std::string settingsFilePath)
    : m_platform(platform), m_view(view), m_style(platform.Style()),
      m_dataFile(std::move(dataFilePath)), m_settingsFile(std::move(settingsFilePath)) {}

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

void ButtonStore::ReportReadError(const std::string& reason) {
    ShowError(m_view, datafile::ReadFailure(m_dataFile, reason));
}

std::unique_ptr<Reader> ButtonStore::OpenDataFile() {
    const text::FileKind kind = text::KindAt(m_dataFile);
    if (kind != text::FileKind::Missing && kind != text::FileKind::Regular) {
        // Told once while it stays so: the category list and the page both look at the file.
        if (std::exchange(m_toldKind, kind) != kind)
            ReportReadError(text::ReadFaultText(kind));
        return nullptr;
    }
    m_toldKind = kind;
    if (kind == text::FileKind::Missing)
        return nullptr;
    auto reader = std::make_unique<Reader>(m_dataFile);
    if (reader->Failed())
        ReportReadError();
    if (reader->Failed() || Foreign(reader->FileEncoding()))
        return nullptr;
    return reader;
}

bool ButtonStore::Foreign(Encoding encoding) {
    if (text::IsOwnEncoding(encoding))
        return false;
    if (!m_foreignTold) {
        m_foreignTold = true;
        ShowError(m_view, text::ForeignEncodingMessage("データファイル", m_dataFile, encoding));
    }
    return true;
}

void ButtonStore::LoadCategoryList() {
    m_categoryNames.assign(1, kDefaultCategory);
    if (const auto reader = OpenDataFile()) {
        std::vector<std::string> names;
        std::string_view line;
        for (reader->SkipToCategoryLine(); reader->Next(line); reader->SkipToCategoryLine())
            names.push_back(*CategoryLineName(line, reader->FileEncoding()));
        if (reader->Failed())
            ReportReadError(reader->FailureText());
        if (!names.empty())
            m_categoryNames = std::move(names);
    }
    Changed();
}

bool ButtonStore::IsCategoryLine(std::string_view line, Encoding encoding) const {
    // A "[" alone names the category "", as the category list shows it.
    return CategoryLineName(line, encoding) == m_category;
}

bool ButtonStore::KeyIsPage(std::string_view line, Encoding encoding) const {
    const std::string_view key = RawKeyPart(line);
    return !key.empty() && datafile::Decode(key, encoding) == m_page;
}

void ButtonStore::LoadPage() {
    if (!m_pageLoadEnabled)
        return;
    LoadCurrentPage();
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
        ReportReadError(reader->FailureText());
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

int ButtonStore::AssignButton(const std::string& value, int n) {
    const Placement placed = PlaceButton(value, n);
    if (placed.noRoom) {
        ShowMessageBox(m_view,
                       "ページ " + m_page +
                           " に空きボタンがなく、次のページもないため、\r\n"
                           "ファイル( " +
                           TargetPart(value) + " )を登録できませんでした。",
                       MsgKind::Warning, msg_buttons::kOkOnly);
    }
    return placed.slot;
}

ButtonStore::Placement ButtonStore::PlaceButton(const std::string& value, int n) {
    Placement placed;
    placed.slot = Assign(value, n, Overflow::NextPage, &placed);
    return placed;
}

int ButtonStore::Assign(const std::string& value, int n, Overflow overflow, Placement* placement) {
    std::string stored = value;
    std::string target = TargetPart(stored);
    bool hasTitle = target != stored;
    const bool registering = overflow != Overflow::Skip;
    if (registering && HasLineBreakOrNul(target)) {
        RefuseLineBreak(target);
        return 0;
    }

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
        if (!SavePage()) {
            if (placement != nullptr)
                placement->saveFailed = true;
            return 0;
        }
        m_page = std::to_string(page + 1);
        m_slots.fill(Slot{});
        LoadCurrentPage();
        // On the next page the target goes alone: a title of the value is not carried over.
        stored = target;
        hasTitle = false;
    }

    if (m_platform.IsShortcut(target)) {
        try {
            const ShortcutTarget resolved = m_platform.ResolveShortcut(target);
            // A shortcut may point at a name that no data file line can hold: a new button
            // is refused, a page being loaded shows the shortcut itself.
            if (HasLineBreakOrNul(resolved.target)) {
                if (registering) {
                    RefuseLineBreak(resolved.target);
                    return 0;
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

void ButtonStore::RefuseLineBreak(const std::string& target) {
    ShowMessageBox(m_view,
                   "名前に改行文字が含まれているため、ボタンに登録できません。\r\n( " +
                       BlankLineBreaks(target) + " )",
                   MsgKind::Warning, msg_buttons::kOkOnly);
}

bool ButtonStore::SaveChangedPage() {
    if (!m_pageChanged && text::KindAt(m_dataFile) != text::FileKind::Missing)
        return true;
    return SavePage();
}

bool ButtonStore::SavePage() {
    // Another writer that changed the file between the read and the replacement is merged
    // with again: the page's lines go into the file as it is then.
    constexpr int kMerges = 4;
    const auto lock = datafile::LockForWriting(m_platform, m_dataFile);
    for (int merge = 0; merge < kMerges; ++merge) {
        switch (WritePage()) {
        case datafile::Placed::Done:
            m_pageChanged = false;
            return true;
        case datafile::Placed::Failed:
            return false;
        case datafile::Placed::Changed:
            break;
        }
    }
    ShowError(m_view, datafile::WriteFailure(m_dataFile, datafile::kKeptChanging));
    return false;
}

datafile::Placed ButtonStore::WritePage() {
    constexpr auto kFailed = datafile::Placed::Failed;
    // The old file is read and the new one written a piece at a time: memory does not grow
    // with the file.
    const auto reportUnreadable = [&](const std::string& reason) {
        ShowError(m_view, "データファイル(" + m_dataFile +
                              ")を読み込めないため、ページを保存できませんでした。" +
                              (reason.empty() ? "" : "\r\n" + reason));
    };
    const text::FileKind kind = text::KindAt(m_dataFile);
    if (kind != text::FileKind::Missing && kind != text::FileKind::Regular) {
        reportUnreadable(text::ReadFaultText(kind));
        return kFailed;
    }
    Encoding encoding = Encoding::Cp932;
    const datafile::ReadOptions stamped{.stamped = true};
    std::optional<Reader> reader; // the first pass's, opened here to tell the encoding
    if (kind == text::FileKind::Regular) {
        const Reader& probe = reader.emplace(m_dataFile, stamped);
        if (probe.Failed()) {
            reportUnreadable({});
            return kFailed;
        }
        encoding = probe.FileEncoding();
        if (Foreign(encoding)) // never written over
            return kFailed;
    }
    // The page's own lines in slot order, and as the file's encoding spells them.
    std::vector<std::string> pageLines;
    for (int n = 1; n <= kSlotCount; ++n) {
        const Slot& s = SlotAt(n);
        if (!s.path.empty())
            pageLines.push_back(m_page + ":" + std::to_string(n) + "=" +
                                EncodeButtonValue(s.path, s.file, s.title, m_style));
    }
    std::vector<std::optional<std::string>> pageRaw;
    for (const auto& line : pageLines)
        pageRaw.push_back(datafile::Encode(line, encoding));

    // What the new file was made from; a section of its own at the end leaves it open no more.
    datafile::Basis basis{{}, false};
    const auto produce = [&](datafile::Writer& out) {
        m_shownLines.BeginSave(pageRaw);
        const auto writePage = [&] {
            for (const auto& line : pageLines)
                out.Text(line);
        };
        if (kind == text::FileKind::Missing) {
            out.Category(m_category);
            writePage();
            return true;
        }
        // The page's lines go at the end of the first section of the category, in place of
        // the lines the page showed; other categories' lines are copied a run at a time.
        if (!reader)
            reader.emplace(m_dataFile, stamped); // a second pass, in another encoding
        bool inSection = false, written = false;
        std::string_view line, run;
        for (;;) {
            while (!inSection && reader->NextRun(run))
                out.Run(run);
            if (!reader->Next(line))
                break;
            if (!line.empty() && line.front() == '[') {
                if (inSection) {
                    writePage();
                    written = true;
                }
                out.Line(line);
                inSection = !written && IsCategoryLine(line, encoding);
            } else if (!inSection || line.empty() || line.front() == '{' ||
                       !KeyIsPage(line, encoding) || !m_shownLines.Drop(line)) {
                out.Line(line);
            }
        }
        basis = {reader->FileStamp(), written || inSection};
        if (!written) {
            if (!inSection)
                out.Category(m_category);
            writePage();
        }
        const bool read = !reader->Failed();
        if (!read)
            reportUnreadable(reader->FailureText());
        // Closed before the new file takes its name: Windows does not rename a file over one
        // that is still open.
        reader.reset();
        return read;
    };
    std::string error;
    auto prepared =
        datafile::Prepare(m_platform, m_dataFile, encoding,
                          datafile::OutputFor(encoding, pageLines, {m_category}), produce, error);
    const datafile::Placed placed =
        prepared ? datafile::Place(m_dataFile, *prepared, encoding, basis, error) : kFailed;
    if (placed == kFailed && !error.empty())
        ShowError(m_view, datafile::WriteFailure(m_dataFile, error));
    if (placed != datafile::Placed::Done)
        return placed;
    std::vector<std::string> written;
    for (const auto& line : pageLines)
        written.push_back(*datafile::Encode(line, prepared->encoding));
    m_shownLines.Saved(pageRaw, written);
    return placed;
}

void ButtonStore::MigrateIniCategories() {
    std::error_code ec;
    if (!std::filesystem::exists(text::FsPath(m_settingsFile), ec) ||
        text::KindAt(m_dataFile) != text::FileKind::Missing)
        return;

    ProfileFile settings(m_settingsFile);
    if (!settings.LoadError().empty()) {
        // Categories that cannot be read are left where they are, for a later start.
        ShowError(m_view, "設定ファイル(" + m_settingsFile + ")を読み込めませんでした。\r\n" +
                              settings.LoadError());
        return;
    }
    // The category names, and each category's button lines as bytes (a button holds a path).
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> buttons;
    for (int k = 0;; ++k) {
        const std::string name = settings.ReadString("Category", std::to_string(k), "");
        if (name.empty())
            break;
        names.push_back(name);
        const std::string section = "Category:" + name;
        const auto entries = settings.ReadSection(section);
        auto& lines = buttons.emplace_back();
        for (const auto& [key, value] : entries)
            lines.push_back(text::EncodeUtf8(key + "=" + value));
        if (!entries.empty())
            settings.EraseSection(section);
    }
    settings.EraseSection("Category");

    // The data file is written first; only then do the sections leave the settings file,
    // so a failure at any point loses no category.
    std::string error;
    std::vector<std::string> values;
    for (const auto& lines : buttons)
        values.insert(values.end(), lines.begin(), lines.end());
    const auto writeLines = [&](datafile::Writer& out) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            out.Category(names[i]);
            for (const auto& line : buttons[i])
                out.Text(line);
        }
        return true;
    };
    if (!datafile::Write(m_platform, m_dataFile, Encoding::Cp932,
                         datafile::OutputFor(Encoding::Cp932, values, names), writeLines, error)) {
        ShowError(m_view, datafile::CreateFailure(m_dataFile, error));
        return;
    }
    if (!settings.Save(m_platform, error)) {
        ShowError(m_view,
                  "設定ファイル(" + m_settingsFile + ")に書き込めませんでした。\r\n" + error);
    }
}

} // namespace tavolin
