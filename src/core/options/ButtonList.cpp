#include "core/options/ButtonList.h"

#include "core/Platform.h"
#include "core/View.h"
#include "core/helpers/Convert.h"
#include "core/helpers/FileHelpers.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace tavolin::options {

using text::Encoding;

ButtonList::ButtonList(Platform& platform, View& view, std::string dataFile)
    : m_platform(platform), m_view(view), m_style(platform.Style()),
      m_dataFile(std::move(dataFile)) {}

bool ButtonList::Load() {
    m_rows.clear();
    m_preamble.clear();
    m_trailer.clear();
    const auto opened = datafile::OpenToEdit(m_platform, m_view, m_dataFile, {.stamped = true});
    if (!opened)
        return false;
    datafile::Reader& reader = *opened;
    m_encoding = reader.FileEncoding();

    std::vector<std::string> pending; // unlisted lines waiting for the next row
    std::string category;
    bool inCategory = false;
    std::string_view line;
    while (reader.Next(line)) {
        if (const auto name = datafile::CategoryLineName(line, m_encoding)) {
            ButtonRow row;
            row.category = *name;
            row.page = row.number = kCategoryMark;
            row.raw = line;
            (inCategory ? row.before : m_preamble) = std::move(pending);
            pending.clear();
            category = row.category;
            inCategory = true;
            m_rows.push_back(std::move(row));
            continue;
        }
        if (!inCategory || line.empty() || line.front() == '{') {
            pending.emplace_back(line);
            continue;
        }
        const std::string decoded = datafile::Decode(line, m_encoding);
        ButtonRow row;
        row.category = category;
        row.page = KeyPart(decoded);
        row.number = NumberPart(decoded);
        const std::string value = ValuePart(decoded);
        // The title comes from the value: a value without a title marker then shows its file
        // name rather than the whole line.
        row.title = TitlePart(value, m_style);
        const std::string target = TargetPart(value);
        std::tie(row.folder, row.file) = FolderAndFile(target, m_platform.Kind(target), m_style);
        row.raw = line;
        row.before = std::move(pending);
        pending.clear();
        m_rows.push_back(std::move(row));
    }
    if (reader.Failed()) {
        m_rows.clear();
        ShowError(m_view, datafile::ReadFailure(m_dataFile, reader.FailureText()));
        return false;
    }
    (inCategory ? m_trailer : m_preamble) = std::move(pending);
    m_stamp = reader.FileStamp();
    return true;
}

datafile::Unchanged ButtonList::Recheck() {
    const auto answer = datafile::CheckUnchanged(m_view, m_dataFile, m_stamp);
    if (answer == datafile::Unchanged::Reload)
        Load();
    return answer;
}

int ButtonList::FindButtonRow(const std::string& category, const std::string& page,
                              const std::string& number) const {
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const ButtonRow& row) {
        return row.number == number && row.page == page && row.category == category;
    });
    return it == m_rows.end() ? -1 : static_cast<int>(it - m_rows.begin());
}

int ButtonList::RowOf(const ButtonBoxes& boxes) const {
    // Of rows with the same category, page and number (two sections of one name, a slot
    // written twice) the one the user chose is meant, not the first.
    if (boxes.row >= 0 && static_cast<std::size_t>(boxes.row) < m_rows.size()) {
        const ButtonRow& row = m_rows[static_cast<std::size_t>(boxes.row)];
        if (row.number == boxes.number && row.page == boxes.page && row.category == boxes.category)
            return boxes.row;
    }
    return FindButtonRow(boxes.category, boxes.page, boxes.number);
}

SetOutcome ButtonList::Set(const ButtonBoxes& boxes, int* rowOut) {
    if (rowOut != nullptr)
        *rowOut = -1;
    if (boxes.category.empty() || boxes.page.empty())
        return SetOutcome::Stopped;
    if (!boxes.folder.empty() && !CheckPath(m_view, m_platform, boxes.folder)) {
        return SetOutcome::MissingFolder;
    }
    if (!boxes.folder.empty() && !boxes.file.empty() &&
        !CheckFile(m_view, m_platform, JoinPath(boxes.folder, boxes.file, m_style))) {
        return SetOutcome::MissingFile;
    }
    const int found = RowOf(boxes);
    if (found >= 0) {
        auto& row = m_rows[static_cast<std::size_t>(found)];
        if (boxes.folder.empty()) {
            // The lines that stood before the removed row stay where they were.
            auto before = std::move(row.before);
            m_rows.erase(m_rows.begin() + found);
            auto& next = static_cast<std::size_t>(found) < m_rows.size()
                             ? m_rows[static_cast<std::size_t>(found)].before
                             : m_trailer;
            next.insert(next.begin(), std::make_move_iterator(before.begin()),
                        std::make_move_iterator(before.end()));
            return SetOutcome::Removed;
        }
        // A row set to what it already holds keeps its line as it was read.
        if (row.title != boxes.title || row.folder != boxes.folder || row.file != boxes.file) {
            row.title = boxes.title;
            row.folder = boxes.folder;
            row.file = boxes.file;
            row.changed = true;
            row.raw.clear();
        }
        if (rowOut != nullptr)
            *rowOut = found;
        return SetOutcome::Replaced;
    }
    if (boxes.folder.empty())
        return SetOutcome::Unchanged;

    ButtonRow row;
    row.category = boxes.category;
    row.page = boxes.page;
    row.number = boxes.number;
    row.title = boxes.title;
    row.folder = boxes.folder;
    row.file = boxes.file;
    row.changed = true;

    int after = -1;
    if (const auto number = ToInteger(boxes.number)) {
        for (int n = *number - 1; n >= 1 && after < 0; --n) {
            after = FindButtonRow(boxes.category, boxes.page, std::to_string(n));
        }
    }
    if (after < 0)
        after = FindButtonRow(boxes.category, kCategoryMark, kCategoryMark);
    if (after < 0) {
        // Never under another category: the category gets a line of its own at the end,
        // after the lines that end the last section.
        ButtonRow heading;
        heading.category = boxes.category;
        heading.page = heading.number = kCategoryMark;
        heading.changed = true;
        heading.before = std::move(m_trailer);
        m_trailer.clear();
        m_rows.push_back(std::move(heading));
        after = static_cast<int>(m_rows.size()) - 1;
    }
    const std::size_t at = static_cast<std::size_t>(after) + 1;
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    if (rowOut != nullptr)
        *rowOut = static_cast<int>(at);
    return SetOutcome::Inserted;
}

std::string ButtonList::Compose(const ButtonRow& row) const {
    if (row.IsCategory())
        return "[" + row.category + "]";
    return row.page + ":" + row.number + "=" +
           EncodeButtonValue(row.folder, row.file, row.title, m_style);
}

bool ButtonList::BeginSave(std::string& error) {
    std::vector<std::string> composed;
    std::vector<std::string> categories;
    for (const auto& row : m_rows) {
        if (row.changed && row.IsCategory())
            categories.push_back(row.category);
        else if (row.changed)
            composed.push_back(Compose(row));
    }
    const auto produce = [&](datafile::Writer& out) {
        for (const auto& line : m_preamble)
            out.Line(line);
        for (const auto& row : m_rows) {
            for (const auto& line : row.before)
                out.Line(line);
            if (!row.changed) {
                out.Line(row.raw);
            } else if (row.IsCategory()) {
                out.Category(row.category);
            } else {
                out.Text(Compose(row));
            }
        }
        for (const auto& line : m_trailer)
            out.Line(line);
        return true;
    };
    m_prepared =
        datafile::Prepare(m_platform, m_dataFile, m_encoding,
                          datafile::OutputFor(m_encoding, composed, categories), produce, error);
    return m_prepared.has_value();
}

datafile::Placed ButtonList::Commit(std::string& error) {
    if (!m_prepared) {
        error = "nothing was written to put in place";
        return datafile::Placed::Failed;
    }
    const auto lock = datafile::LockForWriting(m_platform, m_dataFile);
    // Rows follow the file's order, but a category added at the end is the dialog's own:
    // lines appended meanwhile are carried over as they stand only when they open a section.
    const auto placed =
        datafile::Place(m_dataFile, *m_prepared, m_encoding, {m_stamp, false}, error);
    if (placed == datafile::Placed::Done)
        Saved();
    m_prepared.reset();
    return placed;
}

void ButtonList::Saved() {
    // The list now stands for the file as written: every kept line in the file's encoding,
    // changed rows as their composed lines.
    const text::Encoding written = m_prepared->encoding;
    const bool transcode = written != m_encoding;
    const auto recode = [&](std::string& line) {
        if (transcode)
            line = *datafile::Encode(datafile::Decode(line, m_encoding), written);
    };
    for (auto& line : m_preamble)
        recode(line);
    for (auto& line : m_trailer)
        recode(line);
    for (auto& row : m_rows) {
        for (auto& line : row.before)
            recode(line);
        if (row.changed) {
            row.raw = *datafile::Encode(Compose(row), written);
            row.changed = false;
        } else {
            recode(row.raw);
        }
    }
    m_encoding = written;
    m_stamp = datafile::StampOf(m_dataFile);
}

void TrimButtonEdits(ButtonBoxes& boxes) {
    boxes.title = TrimTrailingBlanks(boxes.title);
    boxes.folder = TrimTrailingBlanks(boxes.folder);
    boxes.file = TrimTrailingBlanks(boxes.file);
}

void ShowButtonEntry(ButtonBoxes& boxes, const std::string& value, const Platform& platform) {
    boxes.title.clear();
    boxes.folder.clear();
    boxes.file.clear();
    if (value.empty())
        return;
    boxes.title = TitlePart(value, platform.Style());
    boxes.folder = FolderOf(value, platform);
    boxes.file = FileNameOf(value, platform);
}

void ShowRow(ButtonBoxes& boxes, const ButtonRow& row) {
    boxes.category = row.category;
    if (row.IsCategory()) {
        // assign(1, '1') rather than = "1": GCC 12 warns falsely (-Wrestrict) on the latter.
        boxes.page.assign(1, '1');
        boxes.number.assign(1, '1');
        boxes.title.clear();
        boxes.folder.clear();
        boxes.file.clear();
        return;
    }
    boxes.page = row.page;
    boxes.number = row.number;
    boxes.title = row.title;
    boxes.folder = row.folder;
    boxes.file = row.file;
}

void ShowNumber(ButtonBoxes& boxes, const ButtonList& list, const Platform& platform) {
    const int found = list.FindButtonRow(boxes.category, boxes.page, boxes.number);
    boxes.row = found;
    if (found < 0)
        return ShowButtonEntry(boxes, {}, platform);
    const ButtonRow& row = list.Rows()[static_cast<std::size_t>(found)];
    ShowButtonEntry(boxes, EncodeButtonValue(row.folder, row.file, row.title, platform.Style()),
                    platform);
}

bool HasPendingEdit(ButtonBoxes& boxes, const ButtonList& list) {
    TrimButtonEdits(boxes);
    if (boxes.folder.empty() || boxes.category.empty() || boxes.page.empty())
        return false;
    const int found = list.RowOf(boxes);
    if (found < 0)
        return true;
    const ButtonRow& row = list.Rows()[static_cast<std::size_t>(found)];
    return row.title != boxes.title || row.folder != boxes.folder || row.file != boxes.file;
}

bool AskPendingEdit(View& view, bool& apply) {
    const MsgResult answer = ShowMessageBox(
        view, "ボタン内容が変更されています。反映(セット)しますか？", MsgKind::Information,
        msg_buttons::kYes | msg_buttons::kNo | msg_buttons::kCancel);
    apply = answer == MsgResult::Yes;
    return answer != MsgResult::Cancel;
}

std::string BoxesValue(const ButtonBoxes& boxes, PathStyle style) {
    return EncodeButtonValue(boxes.folder, boxes.file, boxes.title, style);
}

} // namespace tavolin::options
