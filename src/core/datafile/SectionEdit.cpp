#include "core/datafile/SectionEdit.h"

#include "core/Platform.h"
#include "core/datafile/DataFile.h"
#include "core/datafile/Placement.h"

#include <optional>

namespace tavolin::datafile {

namespace {

using text::Encoding;
using Result = Replaced::Result;

// How often the edit is made again on a file another writer keeps changing.
constexpr int kMerges = 4;

// Copies what `reader` reads to `out` with the edit made: the old file is read and the new one
// written a piece at a time, so memory does not grow with the file. Lines of other sections are
// copied a run at a time. What the new file was made from; a section of its own at the end
// leaves it open no more.
Basis CopyEdited(Reader& reader, Writer& out, const SectionEdit& edit, Encoding encoding) {
    const auto writeLines = [&] {
        for (const auto& line : edit.lines)
            out.Text(line);
    };
    bool inSection = false, written = false;
    std::string_view line, run;
    for (;;) {
        while (!inSection && reader.NextRun(run))
            out.Run(run);
        if (!reader.Next(line))
            break;
        if (!line.empty() && line.front() == '[') {
            if (inSection) {
                writeLines();
                written = true;
            }
            out.Line(line);
            // A "[" alone names the category "", as the category list shows it.
            inSection = !written && CategoryLineName(line, encoding) == edit.category;
        } else if (!inSection || line.empty() || line.front() == '{' || !edit.drop(line)) {
            out.Line(line);
        }
    }
    const Basis basis{reader.FileStamp(), written || inSection};
    if (!written) {
        if (!inSection)
            out.Category(edit.category);
        writeLines();
    }
    return basis;
}

// One read, edit and write of the file; nothing when another writer changed the file
// otherwise while it was written, and nothing was.
std::optional<Replaced> EditOnce(Platform& platform, const std::string& path,
                                 const SectionEdit& edit) {
    const text::FileKind kind = text::KindAt(path);
    if (kind != text::FileKind::Missing && kind != text::FileKind::Regular)
        return Replaced{Result::Unreadable, text::ReadFaultText(kind)};
    Encoding encoding = Encoding::Cp932;
    const ReadOptions stamped{.stamped = true};
    std::optional<Reader> reader; // the first pass's, opened here to tell the encoding
    if (kind == text::FileKind::Regular) {
        const Reader& probe = reader.emplace(path, stamped);
        if (probe.Failed())
            return Replaced{Result::Unreadable, {}};
        encoding = probe.FileEncoding();
        if (!text::IsOwnEncoding(encoding))
            return Replaced{Result::Foreign, {}, encoding};
    }
    Basis basis{{}, false};
    std::optional<std::string> unreadable;
    const auto produce = [&](Writer& out) {
        if (edit.begin)
            edit.begin(encoding);
        if (kind == text::FileKind::Missing) {
            out.Category(edit.category);
            for (const auto& line : edit.lines)
                out.Text(line);
            return true;
        }
        if (!reader)
            reader.emplace(path, stamped); // a second pass, in another encoding
        basis = CopyEdited(*reader, out, edit, encoding);
        if (reader->Failed())
            unreadable = reader->FailureText();
        // Closed before the new file takes its name: Windows does not rename a file over one
        // that is still open.
        reader.reset();
        return !unreadable;
    };
    std::string error;
    const Encoding output = OutputFor(encoding, edit.lines, {edit.category});
    auto prepared = Prepare(platform, path, encoding, output, produce, error);
    if (unreadable)
        return Replaced{Result::Unreadable, *unreadable};
    if (!prepared)
        return Replaced{Result::WriteFailed, error};
    switch (Place(path, *prepared, encoding, basis, error)) {
    case Placed::Done:
        return Replaced{Result::Done, {}, prepared->encoding};
    case Placed::Changed:
        return std::nullopt;
    case Placed::Failed:
        break;
    }
    return Replaced{Result::WriteFailed, error};
}

} // namespace

Replaced ReplaceLines(Platform& platform, const std::string& path, const SectionEdit& edit) {
    const auto lock = LockForWriting(platform, path);
    for (int merge = 0; merge < kMerges; ++merge) {
        if (auto replaced = EditOnce(platform, path, edit))
            return *replaced;
    }
    return Replaced{Result::WriteFailed, kKeptChanging};
}

} // namespace tavolin::datafile
