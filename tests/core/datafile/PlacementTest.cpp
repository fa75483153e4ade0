#include "core/datafile/Placement.h"

#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace tavolin;
using namespace tavolin::datafile;
using tavolin::testing::ReadBytes;
using text::Encoding;

namespace {

const std::string kOld = "[A]\r\n1:1=/bin/a\r\n";
const std::string kNew = "[A]\r\n1:1=/bin/b\r\n";

void AppendTo(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

class PlacementTest : public ::testing::Test {
protected:
    // The new file, written but not in place.
    Prepared New(Encoding output = Encoding::Cp932) {
        std::string error;
        auto prepared = Prepare(
            m_platform, m_path, Encoding::Cp932, output,
            [](Writer& out) {
                out.Bytes(kNew);
                return true;
            },
            error);
        EXPECT_TRUE(prepared.has_value()) << error;
        return std::move(*prepared);
    }
    // The new file, written from `old`; then `other` acts on the old file before the new one
    // is put in place.
    Placed WriteWhile(const std::string& old, const std::function<void()>& other,
                      bool openEnd = true, Encoding output = Encoding::Cp932) {
        m_temp.Write("tavolin.txt", old);
        const Stamp read = StampOf(m_path);
        Prepared prepared = New(output);
        other();
        m_error.clear();
        return Place(m_path, prepared, Encoding::Cp932, {read, openEnd}, m_error);
    }
    std::string Bytes() const { return ReadBytes(m_file); }

    tavolin::testing::TempDir m_temp{"tavolin-placement"};
    std::filesystem::path m_file = m_temp.Path() / "tavolin.txt";
    std::string m_path = tavolin::testing::Utf8(m_file);
    tavolin::testing::FakePlatform m_platform{tavolin::testing::FakePlatform::kHostStyle};
    std::string m_error;
};

} // namespace

// What another program does to the file between its reading and its replacement.
TEST_F(PlacementTest, AppendedLinesAreCarriedOverAndOtherChangesWriteNothing) {
    struct Case {
        const char* name;
        std::string old;
        std::string appended; // added to the old file; "!" + bytes: the file becomes those
        bool openEnd;
        Placed placed;
        std::string after; // the file afterwards
    };
    const Case cases[] = {
        {"nobody", kOld, "", true, Placed::Done, kNew},
        {"a category", kOld, "[B]\r\n", false, Placed::Done, kNew + "[B]\r\n"},
        {"comments, then a category", kOld, "{x}\r\n\r\n[B]\r\n1:1=/c\r\n", false, Placed::Done,
         kNew + "{x}\r\n\r\n[B]\r\n1:1=/c\r\n"},
        {"a button of the last section", kOld, "1:2=/c\r\n", true, Placed::Done,
         kNew + "1:2=/c\r\n"},
        {"a button after a section of the writer's own", kOld, "1:2=/c\r\n", false, Placed::Changed,
         kOld + "1:2=/c\r\n"},
        {"half a line, kept as it stands", kOld, "[B", true, Placed::Done, kNew + "[B"},
        {"the rest of a last line without its end", "[A]\r\n1:1=/bin/a", "x\r\n", true,
         Placed::Changed, "[A]\r\n1:1=/bin/ax\r\n"},
        {"the LF of a CR LF", "[A]\r\n1:1=/bin/a\r", "\n[B]\r\n", true, Placed::Done,
         kNew + "[B]\r\n"},
        {"a line changed", kOld, "!" + std::string("[A]\r\n1:1=/bin/z\r\n[B]\r\n"), true,
         Placed::Changed, "[A]\r\n1:1=/bin/z\r\n[B]\r\n"},
        {"cut short", kOld, "![A]\r\n", true, Placed::Changed, "[A]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Placed placed = WriteWhile(
            c.old,
            [&] {
                if (c.appended.starts_with("!"))
                    m_temp.Write("tavolin.txt", c.appended.substr(1));
                else
                    AppendTo(m_file, c.appended);
            },
            c.openEnd);
        EXPECT_EQ(placed, c.placed) << m_error;
        EXPECT_EQ(Bytes(), c.after);
    }
}

TEST_F(PlacementTest, AFileThatComesOrGoesIsAChange) {
    EXPECT_EQ(WriteWhile(kOld, [&] { std::filesystem::remove(m_file); }), Placed::Changed);
    EXPECT_FALSE(std::filesystem::exists(m_file));

    // Read as missing: written when it still is, never over one made meanwhile.
    Prepared prepared = New();
    m_temp.Write("tavolin.txt", kOld);
    EXPECT_EQ(Place(m_path, prepared, Encoding::Cp932, {}, m_error), Placed::Changed);
    EXPECT_EQ(Bytes(), kOld);
    std::filesystem::remove(m_file);
    EXPECT_EQ(Place(m_path, prepared, Encoding::Cp932, {}, m_error), Placed::Done);
    EXPECT_EQ(Bytes(), kNew);
}

// A file that turned UTF-8 gets the appended code page 932 lines in UTF-8 too.
TEST_F(PlacementTest, AppendedLinesTakeTheNewFilesEncoding) {
    const std::string mark = "\xEF\xBB\xBF";
    const Placed placed = WriteWhile(
        kOld, [&] { AppendTo(m_file, *text::EncodeCp932("[カテゴリ]\r\n") + "1:1=/d\n"); }, true,
        Encoding::Utf8Bom);
    EXPECT_EQ(placed, Placed::Done) << m_error;
    EXPECT_EQ(Bytes(), mark + kNew + "[カテゴリ]\r\n1:1=/d\r\n");
}

// A writer that never pauses does not keep the program waiting: it gives up, writes nothing
// and says why.
TEST_F(PlacementTest, AFileThatNeverStopsGrowingIsLeftAsItIs) {
    m_temp.Write("tavolin.txt", kOld);
    const Stamp read = StampOf(m_path);
    Prepared prepared = New();
    // Each look at the file finds a line more: every write of the new file adds one to the old.
    class Growing final : public FileReplacement {
    public:
        Growing(std::unique_ptr<FileReplacement> inner, std::filesystem::path file)
            : m_inner(std::move(inner)), m_file(std::move(file)) {}
        bool Write(std::string_view bytes) override {
            AppendTo(m_file, "[more]\r\n");
            return m_inner->Write(bytes);
        }
        bool Commit(std::string& why) override { return m_inner->Commit(why); }

    private:
        std::unique_ptr<FileReplacement> m_inner;
        std::filesystem::path m_file;
    };
    prepared.file = std::make_unique<Growing>(std::move(prepared.file), m_file);
    AppendTo(m_file, "[more]\r\n");
    EXPECT_EQ(Place(m_path, prepared, Encoding::Cp932, {read, true}, m_error), Placed::Failed);
    EXPECT_EQ(m_error, kKeptChanging);
    EXPECT_TRUE(Bytes().starts_with(kOld + "[more]\r\n[more]\r\n"));
}
