// The data file's one reader and one writer on any bytes, without the store. The input is two
// bytes of options and then the file. Properties:
// - the encoding the reader tells before the first line is the whole file's;
// - Next gives the file's lines (none for a foreign encoding), ending at CR LF, LF or a lone CR;
// - read as a page save reads it (runs up to each category line, then the line) and copied
//   through the writer, the file becomes the same lines each ended with CR LF: the same bytes
//   when every line already was;
// - copied into UTF-8, every line keeps its text;
// - the stamp's hash is that of the bytes, however they are cut into pieces.
// An option (one input in sixteen: a megabyte to read is slow under the sanitizers) puts a filler
// line before the file so that the first read ends inside it: its line ends then meet the end
// of a read.

#include "FuzzSupport.h"

#include "core/Platform.h"
#include "core/datafile/DataFile.h"
#include "core/text/TextFile.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace tavolin;
using text::Encoding;

namespace {

const fuzz::ScratchDir& Scratch() {
    static const fuzz::ScratchDir dir;
    return dir;
}

// Collects what a writer writes.
class Collected final : public FileReplacement {
public:
    bool Write(std::string_view bytes) override {
        m_bytes += bytes;
        return true;
    }
    bool Commit(std::string&) override { return false; }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

std::vector<std::string> Lines(datafile::Reader& reader) {
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

// The file copied as a page save copies it, into `output`.
std::string Copied(datafile::Reader& reader, Encoding output) {
    Collected out;
    datafile::Writer writer(out, reader.FileEncoding(), output);
    std::string_view run, line;
    for (;;) {
        while (reader.NextRun(run))
            writer.Run(run);
        if (!reader.Next(line))
            break;
        writer.Line(line);
    }
    writer.Flush();
    return out.Bytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t options = data[0];
    const std::size_t cut = 1 + data[1] % 97;
    std::string file(fuzz::Bytes(data + 2, size - 2));
    const bool padded = (options & 0xF) == 0xF;
    if (padded) {
        // The file's bytes start (options >> 4) bytes before the end of the first read.
        const std::size_t before = options >> 4;
        file = std::string(datafile::Reader::kPiece - 2 - before, 'p') + "\r\n" + file;
    }
    const std::string path = Scratch().File("tavolin.txt");
    fuzz::WriteFile(path, file);

    const Encoding encoding = text::DetectEncoding(file);
    datafile::Reader reader(path, {.stamped = true});
    fuzz::Check(!reader.Failed(), "a short file reads", file);
    fuzz::Check(reader.FileEncoding() == encoding, "the encoding is the whole file's", file);
    const std::vector<std::string> lines = Lines(reader);
    std::vector<std::string> expected;
    if (text::IsOwnEncoding(encoding)) {
        const auto body = std::string_view(file).substr(text::MarkOf(encoding).size());
        for (const std::string_view line : text::SplitLines(body))
            expected.emplace_back(line);
    }
    fuzz::Check(lines == expected, "Next gives the file's lines", file);

    datafile::Hasher pieces;
    for (std::size_t at = 0; at < file.size(); at += cut)
        pieces.Feed(std::string_view(file).substr(at, cut));
    fuzz::Check(reader.FileStamp().hash == pieces.Value(), "the hash is the bytes'", file);
    fuzz::Check(reader.FileStamp().size == file.size(), "the stamp has the file's size", file);
    if (!text::IsOwnEncoding(encoding))
        return 0;

    std::string crLf(text::MarkOf(encoding));
    for (const std::string& line : lines)
        crLf += line + "\r\n";
    datafile::Reader runs(path);
    fuzz::Check(Copied(runs, encoding) == crLf, "a copy is the lines ended with CR LF", file);

    if (encoding == Encoding::Cp932 && !padded) {
        datafile::Reader again(path);
        const std::string utf8 = Copied(again, Encoding::Utf8Bom);
        std::string decoded(text::MarkOf(Encoding::Utf8Bom));
        for (const std::string& line : lines)
            decoded += datafile::Decode(line, Encoding::Cp932) + "\r\n";
        fuzz::Check(utf8 == decoded, "a copy into UTF-8 keeps every line's text", file);
    }
    return 0;
}
