#include "core/text/TextFile.h"

#include "core/text/Cp932.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace tavolin::text;

namespace {

using Lines = std::vector<std::string>;

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

// "ソフト" in code page 932: the first trail byte is 0x5C.
const std::string kSoftCp932 = Bytes({0x83, 0x5C, 0x83, 0x74, 0x83, 0x67});
const std::string kSoft = "\u30BD\u30D5\u30C8";

const std::string kBom(kUtf8Bom);

// A fresh folder under the system's temporary folder, removed with its content; its paths as
// the program spells them, UTF-8 on every system.
class TempDir {
public:
    std::string File(const std::string& name, const std::string& content) const {
        const std::filesystem::path path = m_dir.Path() / FsPath(name);
        std::ofstream(path, std::ios::binary) << content;
        return Utf8Of(path);
    }
    std::string Path() const { return Utf8Of(m_dir.Path()); }

private:
    static std::string Utf8Of(const std::filesystem::path& path) {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    }

    tavolin::testing::TempDir m_dir{"tavolin-text"};
};

} // namespace

TEST(TextFile, DetectsEncoding) {
    struct Row {
        const char* name;
        std::string bytes;
        Encoding encoding;
    };
    const Row rows[] = {
        {"utf8-mark", kBom + "abc", Encoding::Utf8Bom},
        {"utf8-mark-alone", kBom, Encoding::Utf8Bom},
        {"utf8-mark-then-invalid", kBom + kSoftCp932, Encoding::Utf8Bom},
        {"ascii", "abc", Encoding::Cp932},
        {"empty", "", Encoding::Cp932},
        {"cut-off-mark", "\xEF\xBB", Encoding::Cp932},
        {"utf8-without-mark", "[\u30AB\u30C6]\r\n", Encoding::Utf8},
        {"cp932", "[" + kSoftCp932 + "]\r\n", Encoding::Cp932},
        {"cut-off-utf8-sequence", "a\xE3\x81", Encoding::Cp932},
        {"overlong-slash", "\xC0\xAF", Encoding::Cp932},
        {"surrogate", "\xED\xA0\x80", Encoding::Cp932},
        {"above-10ffff", "\xF4\x90\x80\x80", Encoding::Cp932},
        {"utf8-then-cp932", "\u00E9" + kSoftCp932, Encoding::Cp932},
        {"utf16-le", "\xFF\xFE[\0", Encoding::Utf16Le},
        {"utf16-le-short", "\xFF\xFE", Encoding::Utf16Le},
        {"utf16-be", "\xFE\xFF\0[", Encoding::Utf16Be},
        {"utf32-le", std::string("\xFF\xFE\0\0[\0\0\0", 8), Encoding::Utf32Le},
        {"utf32-be", std::string("\0\0\xFE\xFF\0\0\0[", 8), Encoding::Utf32Be},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DetectEncoding(row.bytes), row.encoding) << row.name;
        // Fed a byte at a time, as a file read in pieces, the answer is the same.
        EncodingDetector pieces;
        for (const char c : row.bytes)
            pieces.Feed(std::string_view(&c, 1));
        EXPECT_EQ(pieces.Result(), row.encoding) << row.name << " in pieces";
    }

    EXPECT_EQ(BodyOf(kBom + "abc"), "abc");
    EXPECT_EQ(BodyOf("abc"), "abc");
    EXPECT_EQ(BodyOf("\xEF\xBB"), "\xEF\xBB");
}

TEST(TextFile, SplitsLinesAtCrLfLfAndCr) {
    struct Row {
        const char* name;
        std::string body;
        Lines lines;
    };
    const Row rows[] = {
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf", "a\nb\n", {"a", "b"}},
        {"mixed", "a\r\nb\nc\r\n", {"a", "b", "c"}},
        {"last-line-without-end", "a\r\nb", {"a", "b"}},
        {"empty", "", {}},
        {"one-empty-line", "\r\n", {""}},
        {"empty-lines-kept", "a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
        {"lone-cr", "[c]\r1:1=a\rb\r\n\rc\r", {"[c]", "1:1=a", "b", "", "c"}},
        {"cr-cr-lf", "a\r\r\nb", {"a", "", "b"}},
        {"nul-inside-line",
         std::string("a\0b\r\n\0\r\n", 8),
         {std::string("a\0b", 3), std::string("\0", 1)}},
        {"trail-5c-not-special", kSoftCp932 + "\\x\r\n", {kSoftCp932 + "\\x"}},
    };
    for (const Row& row : rows) {
        const std::vector<std::string_view> lines = SplitLines(row.body);
        EXPECT_EQ(Lines(lines.begin(), lines.end()), row.lines) << row.name;
    }
}

TEST(TextFile, DecodesCp932AndUtf8Files) {
    const TextDocument cp932 =
        DecodeText("C:\\" + kSoftCp932 + "\\a.exe\r\n" + Bytes({0x83, 0x81, 0x83, 0x82}) + "\n");
    EXPECT_EQ(cp932.encoding, Encoding::Cp932);
    EXPECT_EQ(cp932.lines, (Lines{"C:\\" + kSoft + "\\a.exe", "\u30E1\u30E2"}));

    const TextDocument utf8 = DecodeText(kBom + "R\u00E9sum\u00E9.pdf\r\n\u30E1\u30E2");
    EXPECT_EQ(utf8.encoding, Encoding::Utf8Bom);
    EXPECT_EQ(utf8.lines, (Lines{"R\u00E9sum\u00E9.pdf", "\u30E1\u30E2"}));

    const TextDocument empty = DecodeText("");
    EXPECT_EQ(empty.encoding, Encoding::Cp932);
    EXPECT_TRUE(empty.lines.empty());
    EXPECT_TRUE(DecodeText("\xEF\xBB\xBF").lines.empty());

    const TextDocument plain = DecodeText("[\u30AB\u30C6]\n\u00E9");
    EXPECT_EQ(plain.encoding, Encoding::Utf8);
    EXPECT_EQ(plain.lines, (Lines{"[\u30AB\u30C6]", "\u00E9"}));

    // A file that is not ours gives no lines, however its bytes could be read.
    const TextDocument wide = DecodeText(std::string("\xFF\xFE"
                                                     "a\0\r\0\n\0",
                                                     8));
    EXPECT_EQ(wide.encoding, Encoding::Utf16Le);
    EXPECT_TRUE(wide.lines.empty());
}

TEST(TextFile, EncodesCp932WhenPossibleElseUtf8WithMark) {
    Encoding chosen = Encoding::Utf8Bom;
    EXPECT_EQ(EncodeText({"C:\\" + kSoft + "\\a.exe", "", "x"}, Encoding::Cp932, &chosen),
              "C:\\" + kSoftCp932 + "\\a.exe\r\n\r\nx\r\n");
    EXPECT_EQ(chosen, Encoding::Cp932);

    // One character without a code sends the whole file to UTF-8; nothing is replaced.
    EXPECT_EQ(EncodeText({kSoft, "R\u00E9sum\u00E9.pdf"}, Encoding::Cp932, &chosen),
              kBom + kSoft + "\r\nR\u00E9sum\u00E9.pdf\r\n");
    EXPECT_EQ(chosen, Encoding::Utf8Bom);
    EXPECT_EQ(EncodeText({"\u00A5100"}, Encoding::Cp932, &chosen), kBom + "\u00A5100\r\n");
    EXPECT_EQ(chosen, Encoding::Utf8Bom);

    // A file that is UTF-8 already stays UTF-8, with its mark or without.
    EXPECT_EQ(EncodeText({"abc"}, Encoding::Utf8Bom, &chosen), kBom + "abc\r\n");
    EXPECT_EQ(chosen, Encoding::Utf8Bom);
    EXPECT_EQ(EncodeText({kSoft, "\u00E9"}, Encoding::Utf8, &chosen), kSoft + "\r\n\u00E9\r\n");
    EXPECT_EQ(chosen, Encoding::Utf8);

    // Bytes that the next read would take for the other encoding are not written: half-width
    // "ﾃｽ" is C3 BD in code page 932, which is UTF-8's "ý"; a byte escape in a file without
    // a mark would make it read as code page 932.
    EXPECT_EQ(EncodeText({"\uFF83\uFF7D"}, Encoding::Cp932, &chosen), kBom + "\uFF83\uFF7D\r\n");
    EXPECT_EQ(chosen, Encoding::Utf8Bom);
    EXPECT_EQ(EncodeText({"\u00E9", DecodeUtf8("\xFF")}, Encoding::Utf8, &chosen),
              kBom + "\u00E9\r\n\xFF\r\n");
    EXPECT_EQ(chosen, Encoding::Utf8Bom);

    EXPECT_EQ(EncodeText({}, Encoding::Cp932), "");
    EXPECT_EQ(EncodeText({}, Encoding::Utf8Bom), "\xEF\xBB\xBF");
    EXPECT_EQ(EncodeLine("R\u00E9sum\u00E9", Encoding::Cp932), std::nullopt);
    EXPECT_EQ(EncodeLine("R\u00E9sum\u00E9", Encoding::Utf8Bom), "R\u00E9sum\u00E9");
}

// A file read and written back unchanged keeps its bytes, invalid ones included, in either
// encoding; and when a new character forces UTF-8, the old invalid bytes still come through.
TEST(TextFile, UnchangedFileIsWrittenBackByteForByte) {
    const std::string invalid = Bytes({0x80, 0x85, 0x5C, 0xFD, 0x82});
    const std::string cp932 =
        kSoftCp932 + "\r\n" + invalid + "\r\n" + std::string("a\0b", 3) + "\r\n";
    TextDocument doc = DecodeText(cp932);
    Encoding chosen = Encoding::Utf8Bom;
    EXPECT_EQ(EncodeText(doc.lines, doc.encoding, &chosen), cp932);
    EXPECT_EQ(chosen, Encoding::Cp932);

    const std::string utf8 = kBom + "\u00E9\r\n" + Bytes({0xC0, 0xAF, 0xE3, 0x81}) + "\r\n";
    const TextDocument utf8Doc = DecodeText(utf8);
    EXPECT_EQ(EncodeText(utf8Doc.lines, utf8Doc.encoding), utf8);

    doc.lines.push_back("R\u00E9sum\u00E9.pdf");
    const std::string written = EncodeText(doc.lines, doc.encoding, &chosen);
    EXPECT_EQ(chosen, Encoding::Utf8Bom);
    EXPECT_NE(written.find("\r\n" + invalid + "\r\n"), std::string::npos);
    const TextDocument reread = DecodeText(written);
    EXPECT_EQ(EncodeText(reread.lines, reread.encoding), written);
}

TEST(TextFile, ReadsRealFiles) {
    TempDir dir;
    const std::string crlf = dir.File("data.txt", "one\r\n" + kSoftCp932 + "\r\nlast");
    const std::optional<TextDocument> doc = ReadTextFile(crlf);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->encoding, Encoding::Cp932);
    EXPECT_EQ(doc->lines, (Lines{"one", kSoft, "last"}));

    // A name in Japanese, and content larger than one read.
    std::string big(200000, 'x');
    big += "\n\u30E1\u30E2";
    const std::string memo = dir.File("\u30E1\u30E2.txt", kBom + big);
    const std::optional<std::string> bytes = ReadFileBytes(memo);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, kBom + big);
    const std::optional<TextDocument> memoDoc = ReadTextFile(memo);
    ASSERT_TRUE(memoDoc);
    EXPECT_EQ(memoDoc->encoding, Encoding::Utf8Bom);
    EXPECT_EQ(memoDoc->lines.back(), "\u30E1\u30E2");

    const std::string empty = dir.File("empty.txt", "");
    EXPECT_EQ(ReadFileBytes(empty), std::string());
    ASSERT_TRUE(ReadTextFile(empty));
    EXPECT_TRUE(ReadTextFile(empty)->lines.empty());

    EXPECT_EQ(ReadFileBytes(dir.Path() + "/missing.txt"), std::nullopt);
    EXPECT_EQ(ReadTextFile(dir.Path() + "/missing.txt"), std::nullopt);
    EXPECT_EQ(ReadFileBytes(dir.Path()), std::nullopt); // a folder is not a file
}

// POSIX only: named pipes, /dev/zero, and file names that are bytes.
#ifndef _WIN32
// Only regular files are read: a link to a device would never end, a named pipe would wait
// for a writer forever.
TEST(TextFile, ReadsOnlyRegularFiles) {
    TempDir dir;
    const std::string pipe = dir.Path() + "/fifo.txt";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string zero = dir.Path() + "/zero.txt";
    std::filesystem::create_symlink("/dev/zero", zero);
    const std::string linked = dir.Path() + "/linked.txt";
    std::filesystem::create_symlink(dir.File("real.txt", "ok"), linked);
    struct Row {
        std::string path;
        FileKind kind;
    };
    const Row rows[] = {
        {pipe, FileKind::Other},        {zero, FileKind::Other},
        {dir.Path(), FileKind::Folder}, {dir.Path() + "/missing.txt", FileKind::Missing},
        {linked, FileKind::Regular},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(KindAt(row.path), row.kind) << row.path;
        EXPECT_EQ(ReadFileBytes(row.path).has_value(), row.kind == FileKind::Regular) << row.path;
        EXPECT_EQ(ReadFaultText(row.kind).empty(), row.kind == FileKind::Regular) << row.path;
    }
}

// A file name that is not UTF-8 arrives as escapes and still reaches its file.
TEST(TextFile, FsPathGivesEscapedBytesBack) {
    TempDir dir;
    const std::string latin1Name = "R" + Bytes({0xE9}) + "sum" + Bytes({0xE9}) + ".txt";
    std::ofstream(std::filesystem::path(dir.Path()) / latin1Name, std::ios::binary) << "ok";
    const std::string name = DecodeUtf8(latin1Name);
    EXPECT_EQ(FsPath(dir.Path() + "/" + name), std::filesystem::path(dir.Path()) / latin1Name);
    EXPECT_EQ(ReadFileBytes(dir.Path() + "/" + name), "ok");
    EXPECT_EQ(FsPath("/tmp/\u30E1\u30E2").native(), "/tmp/\u30E1\u30E2");
}
#endif
