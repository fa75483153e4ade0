#include "platform/linux/Drives.h"
#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>

namespace tavolin::linuxdesktop {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;

const auto& g_desktop = testing::IsolatedDesktop::Instance();

TEST(Drives, TheRootTheHomeAndTheMountsAUserBrowses) {
    const auto mounts =
        ParseMountInfo(ReadText(std::string(TAVOLIN_TEST_DATA) + "/proc/mountinfo_desktop.txt"));
    ASSERT_EQ(mounts.size(), 16u); // the damaged line is skipped
    EXPECT_EQ(mounts[8].mountPoint, "/media/u/MY STICK");
    EXPECT_EQ(mounts[8].fsType, "vfat");

    struct Expected {
        std::string root, name;
        DriveKind kind;
    };
    const std::vector<Expected> expected{
        {"/", "/", DriveKind::Fixed},
        {"/home/u", "ホーム", DriveKind::Home},
        {"/home/u/mnt/data", "data", DriveKind::Fixed},
        {"/media/u/MY STICK", "MY STICK", DriveKind::Removable}, // mounted over: listed once
        {"/mnt/nas", "nas", DriveKind::Remote},
        {"/run/media/u/CD", "CD", DriveKind::Removable},
    };
    const std::vector<DriveEntry> drives = UserDrives(mounts, "/home/u");
    ASSERT_EQ(drives.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].root);
        EXPECT_EQ(drives[i].root, expected[i].root);
        EXPECT_EQ(drives[i].name, expected[i].name);
        EXPECT_EQ(drives[i].kind, expected[i].kind);
    }
    // Without a home folder of its own the list still starts at the root.
    EXPECT_EQ(UserDrives({}, "/").size(), 1u);
}

TEST(Drives, ThisSystemStartsWithTheRootAndTheHomeFolder) {
    const std::vector<DriveEntry> drives = LinuxPlatform().Drives();
    ASSERT_GE(drives.size(), 2u);
    EXPECT_EQ(drives[0].root, "/");
    EXPECT_EQ(drives[1].root, std::string(getenv("HOME")));
}

TEST(ListFolder, EntriesWithTheirKindSizeAndTime) {
    testing::TempDir dir;
    dir.Write("file.txt", std::string(2000, 'x'));
    fs::create_directory(dir.Path() / "sub");
    fs::create_directory_symlink(dir.Path() / "sub", dir.Path() / "link-to-sub");
    fs::create_symlink(dir.Path() / "gone", dir.Path() / "dangling");
    const auto written = fs::last_write_time(dir.Path() / "file.txt");
    const auto expectedTime = std::chrono::duration_cast<std::chrono::seconds>(
                                  std::chrono::file_clock::to_sys(written).time_since_epoch())
                                  .count();

    const auto entries = LinuxPlatform().ListFolder(dir.Path().string());
    ASSERT_TRUE(entries);
    std::map<std::string, FolderEntry> byName;
    for (const FolderEntry& e : *entries)
        byName[e.name] = e;
    ASSERT_EQ(byName.size(), 4u); // no "." or ".."
    EXPECT_FALSE(byName["file.txt"].directory);
    EXPECT_EQ(byName["file.txt"].size, 2000u);
    EXPECT_EQ(byName["file.txt"].modified, expectedTime);
    EXPECT_TRUE(byName["sub"].directory);
    EXPECT_EQ(byName["sub"].size, 0u);
    EXPECT_TRUE(byName["link-to-sub"].directory); // a link shows what it points to
    EXPECT_FALSE(byName["dangling"].directory);   // a dangling link shows as itself
    EXPECT_TRUE(byName["dangling"].modified.has_value());

    EXPECT_FALSE(LinuxPlatform().ListFolder((dir.Path() / "missing").string()));
    EXPECT_FALSE(LinuxPlatform().ListFolder((dir.Path() / "file.txt").string()));
    if (geteuid() != 0) { // the superuser reads any folder
        fs::permissions(dir.Path() / "sub", fs::perms::none);
        EXPECT_FALSE(LinuxPlatform().ListFolder((dir.Path() / "sub").string()));
        fs::permissions(dir.Path() / "sub", fs::perms::owner_all);
    }
}

} // namespace
} // namespace tavolin::linuxdesktop
