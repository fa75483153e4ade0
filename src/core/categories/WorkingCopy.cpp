#include "core/categories/WorkingCopy.h"

#include "core/Platform.h"
#include "core/datafile/Placement.h"
#include "core/helpers/MessageBox.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace tavolin::categories {

namespace {

namespace fs = std::filesystem;
using text::Encoding;

// Files are read, and handed to the platform, in pieces of this size.
constexpr std::size_t kChunk = 1 << 20;

// The working or the scratch file being written; it counts what it has written, so the
// blocks' places are known without reading it again.
class Output {
public:
    explicit Output(const std::string& path)
        : m_out(text::FsPath(path), std::ios::binary | std::ios::trunc) {}

    bool Failed() const { return !m_out; }
    void Write(std::string_view bytes) {
        if (bytes.empty())
            return;
        m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        m_offset += bytes.size();
        m_atLineStart = bytes.back() == '\n' || bytes.back() == '\r';
    }
    // The byte-order mark, if any, which is not part of any line.
    void WriteMark(std::string_view mark) {
        m_out.write(mark.data(), static_cast<std::streamsize>(mark.size()));
        m_offset += mark.size();
    }
    // Ends an unfinished last line, so that what follows starts a line of its own.
    void EndLine() {
        if (!m_atLineStart)
            Write("\r\n");
    }
    bool Close() {
        m_out.close();
        return !m_out.fail();
    }
    std::uint64_t Offset() const { return m_offset; }

private:
    std::ofstream m_out;
    std::uint64_t m_offset = 0;
    bool m_atLineStart = true;
};

// Copies byte ranges of the working file to the output, each line re-encoded when the
// encoding changes. Line ends are ASCII, which both encodings spell alike; code page 932 is
// only ever left for UTF-8, never the other way.
class RangeCopy {
public:
    RangeCopy(std::ifstream& in, Output& out, Encoding from, Encoding to)
        : m_in(in), m_out(out), m_from(from), m_to(to), m_buffer(kChunk, '\0') {}

    // False when the range could not be read whole.
    bool operator()(std::uint64_t begin, std::uint64_t end) {
        m_in.seekg(static_cast<std::streamoff>(begin));
        for (std::uint64_t left = end - begin; left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
            m_in.read(m_buffer.data(), static_cast<std::streamsize>(n));
            if (static_cast<std::size_t>(m_in.gcount()) != n)
                return false;
            left -= n;
            const std::string_view piece(m_buffer.data(), n);
            if (m_from == m_to) {
                m_out.Write(piece);
                continue;
            }
            m_carry += piece;
            std::size_t start = 0;
            for (std::size_t lf; (lf = m_carry.find('\n', start)) != std::string::npos;
                 start = lf + 1) {
                m_out.Write(Recode(std::string_view(m_carry).substr(start, lf + 1 - start)));
            }
            m_carry.erase(0, start);
        }
        if (!m_carry.empty())
            m_out.Write(Recode(m_carry));
        m_carry.clear();
        return true;
    }

private:
    std::string Recode(std::string_view line) const {
        return *datafile::Encode(datafile::Decode(line, m_from), m_to);
    }

    std::ifstream& m_in;
    Output& m_out;
    Encoding m_from, m_to;
    std::string m_buffer;
    std::string m_carry; // an unfinished line while re-encoding
};

} // namespace

WorkingCopy::WorkingCopy(Platform& platform, View& view, std::string dataFile,
                         std::string workingFile, std::string scratchFile)
    : m_platform(platform), m_view(view), m_dataFile(std::move(dataFile)),
      m_workingFile(std::move(workingFile)), m_scratchFile(std::move(scratchFile)) {}

WorkingCopy::~WorkingCopy() {
    RemoveFiles();
}

void WorkingCopy::ReportReadError(const std::string& path) {
    ShowError(m_view, "ファイル(" + path + ")を読み込めませんでした。");
}

void WorkingCopy::ReportWriteError(const std::string& path) {
    ShowError(m_view, "ファイル(" + path +
                          ")に書き込めませんでした。\r\n"
                          "カテゴリーは変更されていません。");
}

void WorkingCopy::RemoveFiles() {
    // What cannot be removed stays; the next opening replaces the working file anyway.
    std::error_code ec;
    fs::remove(text::FsPath(m_workingFile), ec);
    fs::remove(text::FsPath(m_scratchFile), ec);
}

bool WorkingCopy::Open() {
    BusyCursor busy(m_view);
    m_open = m_broken = false;
    m_names.clear();
    m_blocks.clear();
    // A working copy left behind by a run that did not end is never used: it is made anew.
    RemoveFiles();

    Output working(m_workingFile);
    if (working.Failed()) {
        ReportWriteError(m_workingFile);
        return false;
    }
    // One pass: the file goes to the working file as it is read, and the places of its
    // category lines are noted.
    const auto opened = datafile::OpenToEdit(
        m_platform, m_view, m_dataFile,
        {.stamped = true, .encodingAtEnd = true, .copyTo = [&](std::string_view piece) {
             working.Write(piece);
         }});
    if (!opened) {
        working.Close();
        RemoveFiles();
        return false;
    }
    datafile::Reader& reader = *opened;
    std::vector<Block> blocks;
    std::vector<std::string> rawNames;
    std::string_view line;
    for (;;) {
        reader.SkipToCategoryLine();
        const std::uint64_t begin = reader.Offset();
        if (!reader.Next(line))
            break;
        if (!blocks.empty())
            blocks.back().end = begin;
        rawNames.emplace_back(line.size() < 2 ? std::string_view()
                                              : line.substr(1, line.size() - 2));
        blocks.push_back(Block{begin, reader.Offset(), 0});
    }
    const bool written = working.Close();
    if (reader.Failed() || !written) {
        RemoveFiles();
        if (reader.Failed()) {
            ShowError(m_view, datafile::ReadFailure(m_dataFile, reader.FailureText()));
        } else {
            ReportWriteError(m_workingFile);
        }
        return false;
    }
    if (!blocks.empty())
        blocks.back().end = working.Offset();
    const Encoding encoding = reader.FileEncoding();
    m_stamp = reader.FileStamp();
    m_encoding = encoding;
    m_bodyBegin = text::MarkOf(encoding).size();
    m_preambleEnd = blocks.empty() ? working.Offset() : blocks.front().begin;
    m_blocks = std::move(blocks);
    for (const std::string& raw : rawNames)
        m_names.push_back(*datafile::CategoryLineName("[" + raw + "]", encoding));
    m_open = true;
    return true;
}

datafile::Unchanged WorkingCopy::Recheck() {
    const auto answer = datafile::CheckUnchanged(m_view, m_dataFile, m_stamp);
    if (answer == datafile::Unchanged::Reload)
        Open();
    return answer;
}

WorkingCopy::NameCheck WorkingCopy::Check(const std::string& name) const {
    if (name.empty())
        return NameCheck::Ignored;
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        ShowMessageBox(m_view, "カテゴリー名に改行文字やNUL文字は使えません。", MsgKind::Warning,
                       msg_buttons::kOkOnly);
        return NameCheck::Refused;
    }
    if (std::find(m_names.begin(), m_names.end(), name) != m_names.end())
        return NameCheck::Ignored;
    return NameCheck::Accepted;
}

Encoding WorkingCopy::EncodingFor(const std::string& name) const {
    if (m_encoding == Encoding::Cp932 && !datafile::CategoryLine(name, Encoding::Cp932)) {
        return Encoding::Utf8Bom; // the whole file, so that no character is lost
    }
    return m_encoding;
}

std::vector<WorkingCopy::Planned> WorkingCopy::Unchanged() const {
    std::vector<Planned> plan;
    plan.reserve(m_blocks.size() + 1);
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        plan.push_back(Planned{i, std::nullopt});
    return plan;
}

bool WorkingCopy::Rewrite(const std::vector<Planned>& plan, Encoding encoding) {
    BusyCursor busy(m_view);
    std::ifstream in(text::FsPath(m_workingFile), std::ios::binary);
    if (!in) {
        ReportReadError(m_workingFile);
        return false;
    }
    // The new working file is written as the scratch file, which then takes its place.
    Output out(m_scratchFile);
    if (out.Failed()) {
        ReportWriteError(m_scratchFile);
        return false;
    }
    out.WriteMark(text::MarkOf(encoding));

    RangeCopy copy(in, out, m_encoding, encoding);
    bool read = copy(m_bodyBegin, m_preambleEnd);
    std::vector<Block> blocks;
    blocks.reserve(plan.size());
    for (const Planned& planned : plan) {
        if (!read)
            break;
        // A block that ended the file without a line end gets one, as part of that block.
        out.EndLine();
        if (!blocks.empty()) {
            Block& previous = blocks.back();
            if (previous.body == previous.end)
                previous.body = out.Offset();
            previous.end = out.Offset();
        }
        Block block;
        block.begin = out.Offset();
        if (planned.name) {
            out.Write(*datafile::CategoryLine(*planned.name, encoding) + "\r\n");
        } else {
            read = copy(m_blocks[*planned.source].begin, m_blocks[*planned.source].body);
        }
        block.body = out.Offset();
        if (planned.source && read) {
            read = copy(m_blocks[*planned.source].body, m_blocks[*planned.source].end);
        }
        block.end = out.Offset();
        blocks.push_back(block);
    }
    in.close();
    const bool written = out.Close();
    std::error_code ec;
    if (read && written)
        fs::rename(text::FsPath(m_scratchFile), text::FsPath(m_workingFile), ec);
    if (!read || !written || ec) {
        fs::remove(text::FsPath(m_scratchFile), ec);
        if (!read) {
            ReportReadError(m_workingFile);
        } else {
            ReportWriteError(m_workingFile);
        }
        return false; // the working file is as it was
    }
    m_preambleEnd = blocks.empty() ? out.Offset() : blocks.front().begin;
    m_bodyBegin = text::MarkOf(encoding).size();
    m_encoding = encoding;
    m_blocks = std::move(blocks);
    return true;
}

bool WorkingCopy::Usable() {
    if (m_broken) {
        ShowError(m_view, "作業ファイル(" + m_workingFile +
                              ")に書き込めませんでした。\r\nデータファイルは変更されていません。"
                              "キャンセルで閉じてください。");
    }
    return m_open && !m_broken;
}

bool WorkingCopy::Add(const std::string& name) {
    if (!Usable() || Check(name) != NameCheck::Accepted)
        return false;
    std::vector<Planned> plan = Unchanged();
    plan.push_back(Planned{std::nullopt, name});
    if (!Rewrite(plan, EncodingFor(name)))
        return false;
    m_names.push_back(name);
    return true;
}

bool WorkingCopy::Rename(std::size_t index, const std::string& name) {
    if (index >= m_names.size() || !Usable() || Check(name) != NameCheck::Accepted)
        return false;
    std::vector<Planned> plan = Unchanged();
    plan[index].name = name;
    if (!Rewrite(plan, EncodingFor(name)))
        return false;
    m_names[index] = name;
    return true;
}

bool WorkingCopy::Delete(std::size_t index) {
    if (index >= m_names.size() || !Usable())
        return false;
    if (ShowMessageBox(m_view,
                       "カテゴリーを削除するとその中の全てのページの内容もクリアされます。"
                       "よろしいですか？",
                       MsgKind::Information, msg_buttons::kOkCancel) != MsgResult::Ok) {
        return false;
    }
    std::vector<Planned> plan = Unchanged();
    plan.erase(plan.begin() + static_cast<std::ptrdiff_t>(index));
    if (!Rewrite(plan, m_encoding))
        return false;
    m_names.erase(m_names.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool WorkingCopy::MoveUp(std::size_t index) {
    return index > 0 && index < m_names.size() && Swap(index - 1);
}

bool WorkingCopy::MoveDown(std::size_t index) {
    return index + 1 < m_names.size() && Swap(index);
}

bool WorkingCopy::Swap(std::size_t first) {
    if (!Usable())
        return false;
    // Only the two blocks change places, so only their bytes are rewritten, where they stand:
    // a move costs the size of two categories, not of the file. A later block that has no
    // line end at the end of the file gets one, as it is no longer last.
    BusyCursor busy(m_view);
    Block& upper = m_blocks[first];
    Block& lower = m_blocks[first + 1];
    std::string region(static_cast<std::size_t>(lower.end - upper.begin), '\0');
    std::fstream file(text::FsPath(m_workingFile), std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(static_cast<std::streamoff>(upper.begin));
    file.read(region.data(), static_cast<std::streamsize>(region.size()));
    if (!file || static_cast<std::size_t>(file.gcount()) != region.size()) {
        ReportReadError(m_workingFile);
        return false;
    }
    const auto split = static_cast<std::size_t>(lower.begin - upper.begin);
    std::string swapped = region.substr(split);
    if (!swapped.ends_with('\n') && !swapped.ends_with('\r'))
        swapped += "\r\n";
    const auto lowerSize = static_cast<std::uint64_t>(swapped.size());
    swapped.append(region, 0, split);
    region = {};
    file.seekp(static_cast<std::streamoff>(upper.begin));
    file.write(swapped.data(), static_cast<std::streamsize>(swapped.size()));
    file.close();
    if (!file) {
        // Part of the working file may be written: nothing more may come of it.
        m_broken = true;
        return Usable();
    }
    const Block oldUpper = upper;
    const Block oldLower = lower;
    upper.end = oldUpper.begin + lowerSize;
    upper.body = oldLower.body == oldLower.end ? upper.end
                                               : oldUpper.begin + (oldLower.body - oldLower.begin);
    lower = Block{upper.end, upper.end + (oldUpper.body - oldUpper.begin), upper.end + split};
    if (first == 0)
        m_preambleEnd = upper.begin;
    std::swap(m_names[first], m_names[first + 1]);
    return true;
}

datafile::Placed WorkingCopy::Commit() {
    if (!Usable())
        return datafile::Placed::Failed;
    BusyCursor busy(m_view);
    // The working file is the new data file as it stands, in the file's encoding; the writer
    // makes it UTF-8 with a mark when code page 932 bytes would read back as UTF-8.
    const auto produce = [&](datafile::Writer& out) {
        if (out.Output() == m_encoding) {
            std::ifstream in(text::FsPath(m_workingFile), std::ios::binary);
            in.seekg(static_cast<std::streamoff>(m_bodyBegin));
            std::string buffer(kChunk, '\0');
            while (in.read(buffer.data(), kChunk).gcount() > 0)
                out.Bytes(std::string_view(buffer.data(), static_cast<std::size_t>(in.gcount())));
            if (in.bad())
                ReportReadError(m_workingFile);
            return !in.bad();
        }
        datafile::Reader working(m_workingFile);
        std::string_view run, line;
        for (;;) {
            while (working.NextRun(run))
                out.Run(run);
            if (!working.Next(line))
                break;
            out.Line(line);
        }
        if (working.Failed())
            ReportReadError(m_workingFile);
        return !working.Failed();
    };
    std::string error;
    const auto lock = datafile::LockForWriting(m_platform, m_dataFile);
    auto prepared =
        datafile::Prepare(m_platform, m_dataFile, m_encoding, m_encoding, produce, error);
    // Sections may have moved: lines appended meanwhile are carried over as they stand only
    // when they open a section of their own.
    const auto placed =
        prepared ? datafile::Place(m_dataFile, *prepared, m_encoding, {m_stamp, false}, error)
                 : datafile::Placed::Failed;
    if (placed == datafile::Placed::Failed && !error.empty())
        ShowError(m_view, datafile::WriteFailure(m_dataFile, error));
    return placed;
}

void WorkingCopy::Close() {
    BusyCursor busy(m_view);
    RemoveFiles();
    m_open = false;
}

} // namespace tavolin::categories
