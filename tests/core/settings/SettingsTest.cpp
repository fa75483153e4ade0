#include "core/settings/Settings.h"

#include "core/settings/ProfileFile.h"
#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

namespace tavolin {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { m_path = (m_dir / "tavolin.ini").string(); }

    void WriteFile(const std::string& bytes) const { testing::WriteBytes(m_path, bytes); }
    std::string FileBytes() const { return testing::ReadBytes(m_path); }
    WindowSettings Load(const std::string& window) {
        WriteFile("[Window]\r\n" + window);
        return LoadSettings(ProfileFile(m_path));
    }

    testing::TempDir m_temp{"tavolin-settings"};
    fs::path m_dir = m_temp.Path();
    std::string m_path;
    testing::FakePlatform m_platform;
};

TEST(SettingsTableTest, EveryFieldHasOneRowAndSaveSettingsHasTwentyKeysInOrder) {
    std::set<std::string_view> keys;
    std::vector<std::string_view> saved(21);
    for (const auto& key : kWindowSettingKeys) {
        EXPECT_TRUE(keys.insert(key.key).second) << key.key;
        if (key.saveOrder > 0) {
            ASSERT_LE(key.saveOrder, 20);
            EXPECT_TRUE(saved[static_cast<std::size_t>(key.saveOrder)].empty()) << key.key;
            saved[static_cast<std::size_t>(key.saveOrder)] = key.key;
        }
        // Everything except geometry, the clock's format, always-on-top and link display is
        // the options dialog's.
        EXPECT_EQ(key.page != kNoPage, key.saveOrder == 0 ||
                                           (key.saveOrder >= 5 && key.saveOrder <= 15) ||
                                           key.key == "BtnSize" || key.key == "BtnCaption")
            << key.key;
    }
    EXPECT_THAT(std::vector<std::string_view>(saved.begin() + 1, saved.end()),
                ::testing::ElementsAre("Height", "Width", "Top", "Left", "WinPos", "ShowRes",
                                       "ShowMem", "ShowDate", "ShowOpt", "ShowTitle", "NomalMode",
                                       "SmallMode", "TitleMode", "TimeMode", "TaRMode", "FrmStyle",
                                       "DateFormat", "RecentLNK", "BtnSize", "BtnCaption"));
    // Each row has a field of its own: changing it through one row changes no other row.
    const auto changed = [](const WindowSettingKey& key, WindowSettings& s) {
        std::visit(
            [&](auto field) {
                using Field = decltype(field);
                if constexpr (std::is_same_v<Field, int WindowSettings::*>)
                    s.*field += 12345;
                else if constexpr (std::is_same_v<Field, bool WindowSettings::*>)
                    s.*field = !(s.*field);
                else if constexpr (std::is_same_v<Field, std::string WindowSettings::*>)
                    s.*field += "x";
                else
                    s.*field = Colour{1, 2, 3, {}, false};
            },
            key.field);
    };
    const auto same = [](const WindowSettingKey& key, const WindowSettings& a,
                         const WindowSettings& b) {
        return std::visit([&](auto field) { return a.*field == b.*field; }, key.field);
    };
    const WindowSettings defaults;
    for (const auto& row : kWindowSettingKeys) {
        WindowSettings s;
        changed(row, s);
        for (const auto& other : kWindowSettingKeys) {
            EXPECT_EQ(same(other, s, defaults), &other != &row) << row.key << " / " << other.key;
        }
    }
}

TEST_F(SettingsTest, FirstStartWithoutAFileGivesTheDefaults) {
    const WindowSettings settings = LoadSettings(ProfileFile(m_path));
    EXPECT_EQ(settings, WindowSettings{});
    // Window 377 x 115, clock and information mode, always on top, a corner to go to.
    EXPECT_EQ(settings.Width, 377);
    EXPECT_EQ(settings.Height, 115);
    EXPECT_TRUE(settings.TaRMode);
    EXPECT_FALSE(settings.NomalMode || settings.SmallMode || settings.TitleMode ||
                 settings.TimeMode);
    EXPECT_TRUE(settings.FrmStyle);
    EXPECT_LT(settings.Top, 0);
    EXPECT_EQ(settings.DateFont, ColourFromText("clLime"));
    // The clock's font defaults to the font the clock has.
    EXPECT_EQ(LoadSettings(ProfileFile(m_path), "IPAGothic").DateFontName, "IPAGothic");
}

TEST_F(SettingsTest, ValuesAreReadWithTheirTypesAndBadOnesFallBack) {
    const WindowSettings s =
        Load("Height=200\r\nWidth=abc\r\nTop=30\r\nShowRes=0\r\nShowMem=2\r\nShowDate=x\r\n"
             "ShowTime=20\r\nDateFont=3\r\nDateBack=notacolour\r\nDateFormat=hh:nn\r\n"
             "NomalMode=1\r\nTimeMode=1\r\nTaRMode=0\r\nBtnCaptionL=2\r\nDelFlash=0\r\n"
             "ResWatchLow=150\r\n");
    EXPECT_EQ(s.Height, 200);
    EXPECT_EQ(s.Width, 377);
    EXPECT_EQ(s.Top, 30);
    EXPECT_FALSE(s.ShowRes);
    EXPECT_TRUE(s.ShowMem);  // any integer but 0 is true
    EXPECT_TRUE(s.ShowDate); // not an integer: the default
    EXPECT_EQ(s.SamplingInterval(), 1800000);
    EXPECT_EQ(s.DateFont, ColourFromText("3")); // entry 3 of the colour table, not value 3
    EXPECT_NE(s.DateFont, (Colour{3, 0, 0, {}, false}));
    EXPECT_EQ(s.DateBack, ColourFromText("clBlack"));
    EXPECT_EQ(s.DateFormat, "hh:nn");
    // Display modes stay as they were read, two at once included.
    EXPECT_TRUE(s.NomalMode);
    EXPECT_TRUE(s.TimeMode);
    EXPECT_FALSE(s.TaRMode);
    EXPECT_EQ(s.BtnCaptionL, 10); // outside 4 to 99
    EXPECT_EQ(s.DelFlash, 0);
    EXPECT_EQ(s.ResWatchLow, 150); // kept as written; the options dialog shows 100
}

TEST_F(SettingsTest, IntervalTableAndShowTimeOutsideIt) {
    EXPECT_EQ(SamplingIntervalOf(6), 1000);
    EXPECT_EQ(SamplingIntervalOf(20), 1800000);
    EXPECT_EQ(SamplingIntervalOf(0), 1000);
    EXPECT_EQ(SamplingIntervalOf(21), 1000);
    for (const char* value : {"0", "21", "-3", "x"}) {
        const WindowSettings s = Load(std::string("ShowTime=") + value + "\r\n");
        EXPECT_EQ(s.ShowTime, 6) << value;
        EXPECT_EQ(s.SamplingInterval(), 1000) << value;
    }
}

TEST_F(SettingsTest, SaveSettingsWritesItsKeysInOrderAndKeepsTheRest) {
    WindowSettings s;
    s.Height = 120;
    s.Left = 8;
    s.SmallMode = true;
    s.TaRMode = false;
    s.BtnCaption = true;
    s.DateFormat = "日付 hh:nn";
    s.ResWatchLow = 99; // the options dialog's key: not written here
    std::string error;
    ASSERT_TRUE(SaveSettingsFile(m_platform, m_path, s, error)) << error;
    EXPECT_EQ(FileBytes(),
              *text::EncodeCp932(
                  "[Window]\r\nHeight=120\r\nWidth=377\r\nTop=-1\r\nLeft=8\r\nWinPos=5\r\n"
                  "ShowRes=1\r\nShowMem=1\r\nShowDate=1\r\nShowOpt=1\r\nShowTitle=1\r\n"
                  "NomalMode=0\r\nSmallMode=1\r\nTitleMode=0\r\nTimeMode=0\r\nTaRMode=0\r\n"
                  "FrmStyle=1\r\nDateFormat=日付 hh:nn\r\nRecentLNK=1\r\nBtnSize=0\r\n"
                  "BtnCaption=1\r\n"));
    EXPECT_EQ(m_platform.replacedFiles.size(), 1u); // one atomic save

    // Keys it does not own and other sections stay; the values read back.
    WriteFile("[Mem]\r\nColor=clAqua\r\n[Window]\r\nResWatchLow=15\r\nWidth=1\r\n");
    ASSERT_TRUE(SaveSettingsFile(m_platform, m_path, s, error)) << error;
    const WindowSettings back = LoadSettings(ProfileFile(m_path));
    EXPECT_EQ(back.ResWatchLow, 15);
    EXPECT_EQ(back.Width, 377);
    EXPECT_TRUE(back.SmallMode);
    EXPECT_EQ(back.DateFormat, "日付 hh:nn");
    EXPECT_EQ(ProfileFile(m_path).ReadString("Mem", "Color", ""), "clAqua");

    // A save that fails leaves the file as it was.
    const std::string before = FileBytes();
    m_platform.replaceFailure = "disk full";
    s.Height = 999;
    EXPECT_FALSE(SaveSettingsFile(m_platform, m_path, s, error));
    EXPECT_EQ(error, "disk full");
    EXPECT_EQ(FileBytes(), before);
}

TEST(DataFilePathsTest, FilesBesideTheExecutableOrInTheFallbackFolder) {
    const DataFiles posix = DataFilePaths("/opt/tavolin/tavolin", "", PathStyle::Posix);
    EXPECT_EQ(posix.txt, "/opt/tavolin/tavolin.txt");
    EXPECT_EQ(posix.ini, "/opt/tavolin/tavolin.ini");
    EXPECT_EQ(posix.tmp, "/opt/tavolin/tavolin.tmp");
    EXPECT_EQ(posix.tmp2, "/opt/tavolin/tavolin.tmp2");
    EXPECT_EQ(DataFilePaths("/opt/my.app/tavolin", "", PathStyle::Posix).ini,
              "/opt/my.app/tavolin.ini");
    EXPECT_EQ(DataFilePaths("/usr/bin/tavolin", "/home/u/.config/tavolin", PathStyle::Posix).txt,
              "/home/u/.config/tavolin/tavolin.txt");

    const DataFiles windows = DataFilePaths("C:\\Tools\\tavolin.exe", "", PathStyle::Windows);
    EXPECT_EQ(windows.txt, "C:\\Tools\\tavolin.txt");
    EXPECT_EQ(windows.tmp2, "C:\\Tools\\tavolin.tmp2");
    EXPECT_EQ(DataFilePaths("C:\\My.Tools\\tavolin", "", PathStyle::Windows).ini,
              "C:\\My.Tools\\tavolin.ini");
    EXPECT_EQ(DataFilePaths("C:\\Program Files\\Tavolin\\tavolin.exe",
                            "C:\\Users\\u\\AppData\\Roaming\\Tavolin\\", PathStyle::Windows)
                  .ini,
              "C:\\Users\\u\\AppData\\Roaming\\Tavolin\\tavolin.ini");
    // Qt's spelling with "/": the fallback is the configuration folder, not a folder made of
    // the executable's path cut at its drive colon.
    const DataFiles fromQt = DataFilePaths("Z:/tmp/タヴォリン 0.1/tavolin.exe",
                                           "C:/users/u/AppData/Local/tavolin", PathStyle::Windows);
    EXPECT_EQ(fromQt.txt, "C:\\users\\u\\AppData\\Local\\tavolin\\tavolin.txt");
    EXPECT_EQ(DataFilePaths("Z:/tmp/app/tavolin.exe", "", PathStyle::Windows).ini,
              "Z:\\tmp\\app\\tavolin.ini");
}

TEST_F(SettingsTest, FilesBesideAReadOnlyCopyAreTakenIntoTheFallbackFolderOnce) {
    fs::create_directories(m_dir / "bin");
    fs::create_directories(m_dir / "config");
    const DataFiles beside = DataFilePaths((m_dir / "bin/tavolin").string(), "", PathStyle::Posix);
    const DataFiles fallback = DataFilePaths((m_dir / "bin/tavolin").string(),
                                             (m_dir / "config").string(), PathStyle::Posix);
    testing::WriteBytes(beside.txt, "[Cat]\r\n1:1=/bin/sh <TS>sh<TE>\r\n");
    testing::WriteBytes(beside.ini, "[Window]\r\nWinPos=3\r\n");
    testing::WriteBytes(fallback.ini, "[Window]\r\nWinPos=2\r\n"); // already there: kept
    testing::WriteBytes(m_dir / "bin/Memo.txt", "memo\r\n");

    std::string error;
    EXPECT_EQ(AdoptFilesBesideExecutable(m_platform, beside, fallback, error),
              (std::vector<std::string>{fallback.txt, (m_dir / "config/Memo.txt").string()}));
    EXPECT_EQ(error, "");
    EXPECT_EQ(testing::ReadBytes(fallback.txt), testing::ReadBytes(beside.txt));
    EXPECT_EQ(testing::ReadBytes(m_dir / "config/Memo.txt"), "memo\r\n");
    EXPECT_EQ(testing::ReadBytes(m_dir / "bin/Memo.txt"), "memo\r\n");
    EXPECT_EQ(testing::ReadBytes(fallback.ini), "[Window]\r\nWinPos=2\r\n");
    // The next start finds both and copies nothing, so nothing is said again.
    EXPECT_TRUE(AdoptFilesBesideExecutable(m_platform, beside, fallback, error).empty());

    // Nothing beside the copy, or a folder in a file's place: nothing to take.
    fs::remove(fallback.txt);
    fs::remove(beside.txt);
    fs::create_directory(beside.txt);
    EXPECT_TRUE(AdoptFilesBesideExecutable(m_platform, beside, fallback, error).empty());
    EXPECT_FALSE(fs::exists(fallback.txt));

    // A copy that cannot be written says why.
    fs::remove(beside.txt);
    testing::WriteBytes(beside.txt, "x");
    m_platform.replaceFailure = "no space left on device";
    EXPECT_TRUE(AdoptFilesBesideExecutable(m_platform, beside, fallback, error).empty());
    EXPECT_EQ(error, "no space left on device");
}

} // namespace
} // namespace tavolin
