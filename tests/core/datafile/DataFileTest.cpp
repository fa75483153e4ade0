#include "core/datafile/DataFile.h"

#include "core/Platform.h"
#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavolin::datafile {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::WriteBytes;
using text::Encoding;

constexpr std::size_t kPiece = Reader::kPiece;

// Collects what a writer writes.
class Collected final : public FileReplacement {
public:
    bool Write(std::string_view bytes) override {
        bytes_ += bytes;
        return true;
    }
    bool Commit(std::string&) override { return false; }
    std::string bytes_;
};

class DataFileTest : public ::testing::Test {
protected:
    std::string Make(const std::string& bytes) const {
        WriteBytes(m_path, bytes);
        return m_path.string();
    }
    // Every line, one Next at a time.
    static std::vector<std::string> Lines(Reader& reader) {
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.Next(line))
            lines.emplace_back(line);
        return lines;
    }
    // The file copied as a page save copies it: runs of lines up to each category line as
    // they stand, the category lines one at a time.
    static std::string Copied(Reader& reader) {
        Collected out;
        Writer writer(out, reader.FileEncoding(), reader.FileEncoding(), false);
        std::string_view run, line;
        for (;;) {
            while (reader.NextRun(run))
                writer.Run(run);
            if (!reader.Next(line))
                break;
            writer.Line(line);
        }
        writer.Flush();
        return out.bytes_;
    }

    testing::TempDir m_temp{"tavolin-datafile"};
    std::filesystem::path m_path = m_temp.Path() / "tavolin.txt";
};

// Line ends at the end of a read. A CR as its last byte: whether a LF follows is known only
// after the next read, and the line ends once either way.
TEST_F(DataFileTest, LineEndsAcrossTheEndOfARead) {
    struct Row {
        const char* name;
        std::size_t before; // where `from` starts: this many bytes before the read's end
        std::string from;
        std::vector<std::string> lines; // after "[c]" and the long line
    };
    const Row rows[] = {
        {"crlf-split", 1, "\r\n[d]\r\nb\r\n", {"[d]", "b"}},
        {"lone-cr-then-a-line", 1, "\rb\r\n[d]\r\n", {"b", "[d]"}},
        {"cr-then-crlf", 1, "\r\r\n[d]\r\n", {"", "[d]"}},
        {"cr-ends-the-file", 1, "\r", {}},
        {"lf-opens-the-next-read", 0, "\n[d]\r\n", {"[d]"}},
        // The runs end with the read: the next one starts on an empty buffer.
        {"crlf-ends-the-read", 2, "\r\nb\r\n[d]\r\n", {"b", "[d]"}},
    };
    const std::string head = "[c]\r\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string longLine(kPiece - row.before - head.size(), 'a');
        const std::string bytes = head + longLine + row.from;
        std::vector<std::string> expected{"[c]", longLine};
        expected.insert(expected.end(), row.lines.begin(), row.lines.end());
        std::string crLf;
        for (const auto& line : expected)
            crLf += line + "\r\n";

        Reader lines(Make(bytes));
        EXPECT_THAT(Lines(lines), ElementsAreArray(expected));
        EXPECT_FALSE(lines.Failed());
        Reader runs(Make(bytes));
        EXPECT_TRUE(Copied(runs) == crLf);
    }
}

// Lines are read whole while they fit the limit; past it reading stops and says why.
TEST_F(DataFileTest, LineLongerThanTheLimitStopsTheRead) {
    struct Row {
        const char* name;
        std::size_t length;
        bool read;
    };
    const Row rows[] = {
        {"half-the-limit", Reader::kLongestLine / 2, true},
        {"past-the-limit", Reader::kLongestLine + 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = Make("[c]\r\n" + std::string(row.length, 'x') + "\r\n[d]\r\n");
        Reader reader(path);
        const std::vector<std::string> lines = Lines(reader);
        EXPECT_EQ(reader.Failed(), !row.read);
        if (row.read) {
            ASSERT_EQ(lines.size(), 3u);
            EXPECT_EQ(lines[1].size(), row.length);
            EXPECT_EQ(reader.FailureText(), "");
        } else {
            EXPECT_LE(lines.size(), 1u);
            EXPECT_THAT(reader.FailureText(), HasSubstr("16 MiB"));
        }
        // Passing over the line to the next category line holds it as well.
        Reader skipping(path);
        std::string_view first;
        ASSERT_TRUE(skipping.Next(first));
        skipping.SkipToCategoryLine();
        std::string_view next;
        EXPECT_EQ(skipping.Next(next) && next == "[d]", row.read);
        EXPECT_EQ(skipping.Failed(), !row.read);
    }
}

// The stamp's hash is the bytes' own: the same however they were cut into pieces, and another
// for a change of any one byte.
TEST_F(DataFileTest, HashDependsOnTheBytesNotOnHowTheyWereRead) {
    std::string bytes;
    for (int i = 0; bytes.size() < 5000; ++i)
        bytes += std::to_string(i * 7919) + (i % 3 == 0 ? "\r\n" : ",");
    Hasher whole;
    whole.Feed(bytes);
    for (const std::size_t cut : {1, 3, 63, 64, 65, 1000}) {
        SCOPED_TRACE(cut);
        Hasher pieces;
        for (std::size_t at = 0; at < bytes.size(); at += cut)
            pieces.Feed(std::string_view(bytes).substr(at, cut));
        EXPECT_EQ(pieces.Value(), whole.Value());
    }
    for (std::size_t at = 0; at < 130; ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 1);
        Hasher other;
        other.Feed(changed);
        EXPECT_NE(other.Value(), whole.Value()) << at;
    }
    Hasher longer;
    longer.Feed(bytes + '\0');
    EXPECT_NE(longer.Value(), whole.Value());

    // A reader's pieces follow its lines (a long one grows its buffer): the stamp is still
    // the hash of the bytes, as StampOf takes it.
    const std::string file = "[c]\r\n" + std::string(3 * kPiece + 17, 'y') + "\r\n" + bytes;
    Hasher all;
    all.Feed(file);
    Reader reader(Make(file), {.stamped = true});
    Lines(reader);
    EXPECT_EQ(reader.FileStamp().hash, all.Value());
    EXPECT_EQ(reader.FileStamp().size, file.size());
    EXPECT_EQ(StampOf(m_path.string()), reader.FileStamp());
}

// A file that looks like code page 932 in its first read and holds UTF-8 further on is UTF-8
// from its first line: the rest is read once beforehand, or, for a reader that decodes nothing
// before the end, the encoding is told there.
TEST_F(DataFileTest, Utf8BeyondTheFirstReadIsToldBeforeTheFirstLine) {
    struct Row {
        const char* name;
        std::string later;
        Encoding encoding;
    };
    const Row rows[] = {
        {"utf8-later", "1:1=/x <TS>\xC3\xA9t\xC3\xA9<TE>", Encoding::Utf8},
        {"cp932-later", "1:1=/x <TS>" + *text::EncodeCp932("テスト") + "<TE>", Encoding::Cp932},
        {"ascii-only", "1:1=/x", Encoding::Cp932},
    };
    std::string ascii = "[c]\r\n";
    while (ascii.size() < 2 * kPiece)
        ascii += "1:2=/usr/bin/true <TS>true<TE>\r\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = Make(ascii + row.later + "\r\n");
        Reader told(path);
        EXPECT_EQ(told.FileEncoding(), row.encoding);
        const std::vector<std::string> lines = Lines(told);
        EXPECT_EQ(lines.back(), row.later);

        Reader late(path, {.encodingAtEnd = true});
        EXPECT_EQ(late.FileEncoding(), Encoding::Cp932);
        Lines(late);
        EXPECT_EQ(late.FileEncoding(), row.encoding);
    }
}

// Code page 932 bytes that would read back as UTF-8 are written again as UTF-8 with a mark.
TEST_F(DataFileTest, Cp932OutputThatReadsAsUtf8IsWrittenAgainWithAMark) {
    testing::FakePlatform platform(testing::FakePlatform::kHostStyle);
    const std::string path = Make("");
    int runs = 0;
    std::string error;
    const auto written = Write(
        platform, path, Encoding::Cp932, Encoding::Cp932,
        [&](Writer& out) {
            ++runs;
            out.Category("c");
            out.Text("1:1=/x <TS>ﾃｽ<TE>"); // C3 BD in code page 932: "½" in UTF-8
            return true;
        },
        error);
    ASSERT_EQ(written, Encoding::Utf8Bom) << error;
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(ReadBytes(m_path), "\xEF\xBB\xBF[c]\r\n1:1=/x <TS>ﾃｽ<TE>\r\n");
}

} // namespace
} // namespace tavolin::datafile
