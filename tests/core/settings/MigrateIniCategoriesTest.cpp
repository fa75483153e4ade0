#include "core/settings/MigrateIniCategories.h"

#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>

namespace tavolin {
namespace {

namespace fs = std::filesystem;
using testing::FromUtf8;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ReadBytes;
using testing::Utf8;
using testing::WriteBytes;
using Result = IniMigration::Result;

// Code page 932 bytes of UTF-8 lines, each ended with CR LF.
std::string Sj(std::initializer_list<std::string> lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += *text::EncodeCp932(line) + "\r\n";
    return bytes;
}

class MigrateIniCategoriesTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_dir); }

    testing::TempDir m_temp{"tavolin-migrate"};
    // A folder name beyond ASCII, which a path read in the ANSI code page would miss.
    fs::path m_dir = m_temp.Path() / u8"データ";
    std::string m_txt = Utf8(m_dir / "tavolin.txt");
    std::string m_ini = Utf8(m_dir / "tavolin.ini");
    testing::FakePlatform m_win{PathStyle::Windows};
    testing::FakePlatform m_posix{PathStyle::Posix};
};

TEST_F(MigrateIniCategoriesTest, MovesIniCategoriesIntoANewDataFile) {
    WriteBytes(FromUtf8(m_ini), Sj({
                                    "[Window]",
                                    "Width=400",
                                    "[Category]",
                                    "0=無題カテゴリ",
                                    "1=Tools",
                                    "3=never read",
                                    "[Category:無題カテゴリ]",
                                    "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>",
                                    "1:2=C:\\My Documents <TS>Docs<TE>",
                                    "[Category:Tools]",
                                    "[Other]",
                                    "k=v",
                                }));
    EXPECT_EQ(MigrateIniCategories(m_win, m_ini, m_txt).result, Result::Moved);
    EXPECT_EQ(ReadBytes(FromUtf8(m_txt)), Sj({
                                              "[無題カテゴリ]",
                                              "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>",
                                              "1:2=C:\\My Documents <TS>Docs<TE>",
                                              "[Tools]",
                                          }));
    const std::string ini = ReadBytes(FromUtf8(m_ini));
    EXPECT_THAT(ini, Not(HasSubstr("[Category]")));
    EXPECT_THAT(ini, Not(HasSubstr(Sj({"[Category:無題カテゴリ]"}))));
    EXPECT_THAT(ini, HasSubstr("Width=400"));
    EXPECT_THAT(ini, HasSubstr("[Other]\r\nk=v"));

    // Once the data file exists nothing happens again.
    WriteBytes(FromUtf8(m_ini), "[Category]\r\n0=Again\r\n");
    EXPECT_EQ(MigrateIniCategories(m_win, m_ini, m_txt).result, Result::Nothing);
    EXPECT_THAT(ReadBytes(FromUtf8(m_txt)), Not(HasSubstr("Again")));
}

TEST_F(MigrateIniCategoriesTest, KeepsTheSettingsWhenTheDataFileCannotBeWritten) {
    const std::string ini = Sj({"[Category]", "0=A", "[Category:A]", "1:1=/x <TS>x<TE>"});
    WriteBytes(FromUtf8(m_ini), ini);
    m_posix.replaceFailure = "read-only folder";
    const IniMigration failed = MigrateIniCategories(m_posix, m_ini, m_txt);
    EXPECT_EQ(failed.result, Result::DataFileNotMade);
    EXPECT_EQ(failed.error, "read-only folder");
    EXPECT_FALSE(fs::exists(FromUtf8(m_txt)));
    EXPECT_EQ(ReadBytes(FromUtf8(m_ini)), ini);

    // Without a settings file there is nothing to move and no data file is made.
    fs::remove(FromUtf8(m_ini));
    m_posix.replaceFailure.reset();
    EXPECT_EQ(MigrateIniCategories(m_posix, m_ini, m_txt).result, Result::Nothing);
    EXPECT_FALSE(fs::exists(FromUtf8(m_txt)));
}

} // namespace
} // namespace tavolin
