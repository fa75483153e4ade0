#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopTestSupport.h"
#include "platform/linux/GioLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <regex>
#include <set>
#include <thread>

namespace tavolin {
namespace {

using namespace tavolin::testing;
using ::testing::HasSubstr;

const IsolatedDesktop& g_desktop = IsolatedDesktop::Instance();

fs::path HomeTrash() {
    return g_desktop.DataHome() / "Trash";
}

std::string LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

struct TrashInfo {
    std::string path;         // Path= as written (escaped)
    std::string deletionDate; // DeletionDate= as written
};

// The .trashinfo records of a trash folder, by the name of the trashed entry.
std::map<std::string, TrashInfo> ReadTrashInfos(const fs::path& trash) {
    std::map<std::string, TrashInfo> infos;
    if (!fs::exists(trash / "info"))
        return infos;
    for (const auto& entry : fs::directory_iterator(trash / "info")) {
        std::string file = entry.path().filename().string();
        EXPECT_TRUE(file.ends_with(".trashinfo")) << file;
        std::istringstream lines(ReadText(entry.path()));
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line, "[Trash Info]") << file;
        TrashInfo info;
        while (std::getline(lines, line)) {
            if (line.rfind("Path=", 0) == 0)
                info.path = line.substr(5);
            else if (line.rfind("DeletionDate=", 0) == 0)
                info.deletionDate = line.substr(13);
        }
        infos[file.substr(0, file.size() - std::string(".trashinfo").size())] = info;
    }
    return infos;
}

void ExpectDeletionDateBetween(const std::string& date, const std::string& before,
                               const std::string& after) {
    EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"))) << date;
    EXPECT_LE(before, date);
    EXPECT_GE(after, date);
}

class TrashTest : public ::testing::Test {
protected:
    void SetUp() override { fs::remove_all(HomeTrash()); }

    fs::path MakeFile(const fs::path& relative, const std::string& content) {
        fs::path path = m_work.Path() / relative;
        WriteText(path, content);
        return path;
    }
    const fs::path& Work() const { return m_work.Path(); }

    TempFolder m_work;
    LinuxPlatform m_platform;
};

TEST_F(TrashTest, HomeTrashRecordsTheEscapedPathAndTheDeletionDate) {
    fs::path file = MakeFile("a b%ソ.txt", "one");
    std::string before = LocalNow();
    std::vector<DeleteOutcome> outcomes = m_platform.Delete({file.string()}, DeleteMode::Recycle);
    std::string after = LocalNow();

    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].done) << outcomes[0].error;
    EXPECT_EQ(outcomes[0].path, file.string());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ReadText(HomeTrash() / "files" / "a b%ソ.txt"), "one");

    std::map<std::string, TrashInfo> infos = ReadTrashInfos(HomeTrash());
    ASSERT_EQ(infos.count("a b%ソ.txt"), 1u);
    // The temporary folder's name has no characters that need escaping.
    EXPECT_EQ(infos["a b%ソ.txt"].path, Work().string() + "/a%20b%25%E3%82%BD.txt");
    ExpectDeletionDateBetween(infos["a b%ソ.txt"].deletionDate, before, after);
}

TEST_F(TrashTest, SeveralPathsInOneOperationWithClashingNamesAFolderAndALink) {
    fs::path first = MakeFile("one/same.txt", "first");
    fs::path second = MakeFile("two/same.txt", "second");
    fs::path folder = Work() / "three/folder";
    MakeFile("three/folder/inner.txt", "inner");
    fs::path target = MakeFile("target.txt", "target");
    fs::path link = Work() / "four/link";
    fs::create_directories(link.parent_path());
    fs::create_symlink(target, link);

    std::vector<std::string> paths = {first.string(), second.string(), folder.string(),
                                      link.string()};
    std::vector<DeleteOutcome> outcomes = m_platform.Delete(paths, DeleteMode::Recycle);
    ASSERT_EQ(outcomes.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(outcomes[i].path, paths[i]);
        EXPECT_TRUE(outcomes[i].done) << outcomes[i].error;
        EXPECT_FALSE(fs::exists(fs::symlink_status(paths[i])));
    }
    // The link went to the trash as a link; its target stayed.
    EXPECT_EQ(ReadText(target), "target");

    // Each record leads back to the right original, under names that do not clash.
    std::map<std::string, TrashInfo> infos = ReadTrashInfos(HomeTrash());
    ASSERT_EQ(infos.size(), 4u);
    std::map<std::string, std::string> trashedNameOf;
    for (const auto& [name, info] : infos)
        trashedNameOf[info.path] = name;
    fs::path files = HomeTrash() / "files";
    EXPECT_EQ(ReadText(files / trashedNameOf.at(first.string())), "first");
    EXPECT_EQ(ReadText(files / trashedNameOf.at(second.string())), "second");
    EXPECT_NE(trashedNameOf.at(first.string()), trashedNameOf.at(second.string()));
    EXPECT_EQ(ReadText(files / trashedNameOf.at(folder.string()) / "inner.txt"), "inner");
    fs::path trashedLink = files / trashedNameOf.at(link.string());
    EXPECT_TRUE(fs::is_symlink(trashedLink));
    EXPECT_EQ(fs::read_symlink(trashedLink), target);
}

TEST_F(TrashTest, AMissingPathIsReportedAndTheOthersAreStillTrashed) {
    fs::path missing = Work() / "missing.txt";
    fs::path present = MakeFile("present.txt", "here");
    std::vector<DeleteOutcome> outcomes =
        m_platform.Delete({missing.string(), present.string()}, DeleteMode::Recycle);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_FALSE(outcomes[0].done);
    EXPECT_THAT(outcomes[0].error, HasSubstr("missing.txt"));
    EXPECT_TRUE(outcomes[1].done) << outcomes[1].error;
    EXPECT_EQ(ReadTrashInfos(HomeTrash()).size(), 1u);
}

TEST_F(TrashTest, WhenTheTrashCannotBeMadeTheFileStaysWhereItWas) {
    // A file where the trash folder should be: no trash can be made there, even as root.
    WriteText(HomeTrash(), "in the way");
    fs::path file = MakeFile("precious.txt", "keep me");
    std::vector<DeleteOutcome> outcomes = m_platform.Delete({file.string()}, DeleteMode::Recycle);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].done);
    EXPECT_FALSE(outcomes[0].error.empty());
    EXPECT_EQ(ReadText(file), "keep me");
    fs::remove(HomeTrash());
}

TEST_F(TrashTest, WithoutGioTrashingAndOpeningFailAndTheFileStays) {
    // GIO is loaded on first use: a system without it gets a failure that names the library,
    // not a crash, and a later use of the real library still works.
    struct RealGioAfterwards {
        ~RealGioAfterwards() { linuxdesktop::UseGioLibraryFile(""); }
    } restore;
    linuxdesktop::UseGioLibraryFile("libtavolin-no-such-gio.so.0");
    fs::path file = MakeFile("kept.txt", "keep me");
    std::vector<DeleteOutcome> outcomes = m_platform.Delete({file.string()}, DeleteMode::Recycle);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].done);
    EXPECT_THAT(outcomes[0].error, HasSubstr("libtavolin-no-such-gio.so.0"));
    EXPECT_EQ(ReadText(file), "keep me");
    EXPECT_EQ(m_platform.Open(file.string(), "", Work().string()), 1); // failed, no own code

    linuxdesktop::UseGioLibraryFile("");
    outcomes = m_platform.Delete({file.string()}, DeleteMode::Recycle);
    EXPECT_TRUE(outcomes[0].done) << outcomes[0].error;
}

TEST_F(TrashTest, AFileOnATemporaryMemoryFileSystemIsRefusedAndStays) {
    // /dev/shm is tmpfs: a trash there would vanish at the next boot and no file manager
    // shows it, so trashing is refused rather than quietly turned into a deletion.
    struct stat shm {
    }, home{};
    if (stat("/dev/shm", &shm) != 0 || stat(g_desktop.Home().c_str(), &home) != 0 ||
        shm.st_dev == home.st_dev)
        GTEST_SKIP() << "/dev/shm is not a file system of its own here";
    std::string pattern = "/dev/shm/tavolin-trash-XXXXXX";
    int fd = mkstemp(pattern.data());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "shm", 3), 3);
    close(fd);
    fs::path volumeTrash = "/dev/shm/.Trash-" + std::to_string(getuid());
    bool trashExisted = fs::exists(volumeTrash);

    std::vector<DeleteOutcome> outcomes = m_platform.Delete({pattern}, DeleteMode::Recycle);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].done);
    EXPECT_THAT(outcomes[0].error, HasSubstr("left in place"));
    EXPECT_EQ(ReadText(pattern), "shm");
    EXPECT_EQ(fs::exists(volumeTrash), trashExisted);
    EXPECT_TRUE(ReadTrashInfos(HomeTrash()).empty());
    fs::remove(pattern);
}

TEST_F(TrashTest, TrashingFromTwoThreadsAtOnceLosesNothing) {
    constexpr int kPerThread = 15;
    std::vector<std::string> paths[2];
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < kPerThread; ++i) {
            std::string id = std::to_string(t) + "-" + std::to_string(i);
            paths[t].push_back(MakeFile("d" + id + "/clash.txt", id).string());
        }
    }
    std::vector<DeleteOutcome> outcomes[2];
    std::thread other([&] { outcomes[1] = m_platform.Delete(paths[1], DeleteMode::Recycle); });
    outcomes[0] = m_platform.Delete(paths[0], DeleteMode::Recycle);
    other.join();

    std::set<std::string> originals;
    for (const auto& [name, info] : ReadTrashInfos(HomeTrash())) {
        originals.insert(info.path);
        std::string id = fs::path(info.path).parent_path().filename().string().substr(1);
        EXPECT_EQ(ReadText(HomeTrash() / "files" / name), id);
    }
    EXPECT_EQ(originals.size(), 2u * kPerThread);
    for (int t = 0; t < 2; ++t) {
        for (const DeleteOutcome& outcome : outcomes[t])
            EXPECT_TRUE(outcome.done) << outcome.error;
    }
}

// --- deleting for good ---------------------------------------------------------------------

TEST_F(TrashTest, DeletingAFolderForGoodNeverFollowsTheLinksInside) {
    fs::path outside = Work() / "outside";
    MakeFile("outside/keep.txt", "keep");
    MakeFile("outside/sub/keep2.txt", "keep2");
    fs::path victim = Work() / "victim";
    MakeFile("victim/a.txt", "a");
    MakeFile("victim/nested/deeper/b.txt", "b");
    fs::create_directory_symlink(outside, victim / "link-to-folder");
    fs::create_symlink(outside / "keep.txt", victim / "nested/link-to-file");
    fs::create_symlink(Work() / "nowhere", victim / "dangling");

    std::vector<DeleteOutcome> outcomes =
        m_platform.Delete({victim.string()}, DeleteMode::Permanent);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].done) << outcomes[0].error;
    EXPECT_FALSE(fs::exists(fs::symlink_status(victim)));
    EXPECT_EQ(ReadText(outside / "keep.txt"), "keep");
    EXPECT_EQ(ReadText(outside / "sub/keep2.txt"), "keep2");
    EXPECT_TRUE(ReadTrashInfos(HomeTrash()).empty()); // for good: nothing in the trash
}

TEST_F(TrashTest, ALinkGivenForDeletionIsRemovedAsALinkEvenWithATrailingSlash) {
    fs::path outside = Work() / "outside";
    MakeFile("outside/keep.txt", "keep");
    fs::create_directory_symlink(outside, Work() / "link1");
    fs::create_directory_symlink(outside, Work() / "link2");
    std::vector<std::string> paths = {(Work() / "link1").string(),
                                      (Work() / "link2").string() + "/"};
    std::vector<DeleteOutcome> outcomes = m_platform.Delete(paths, DeleteMode::Permanent);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_TRUE(outcomes[0].done) << outcomes[0].error;
    EXPECT_TRUE(outcomes[1].done) << outcomes[1].error;
    EXPECT_EQ(outcomes[1].path, paths[1]);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Work() / "link1")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(Work() / "link2")));
    EXPECT_EQ(ReadText(outside / "keep.txt"), "keep");
}

TEST_F(TrashTest, DeletingForGoodReportsWhatItCannotDoAndGoesOn) {
    fs::path sub = Work() / "sub";
    MakeFile("sub/keep.txt", "keep");
    fs::path file = MakeFile("file.txt", "x");
    std::vector<std::string> paths = {(Work() / "missing").string(), (sub / "..").string(),
                                      (sub / ".").string(), "", file.string()};
    std::vector<DeleteOutcome> outcomes = m_platform.Delete(paths, DeleteMode::Permanent);
    ASSERT_EQ(outcomes.size(), paths.size());
    for (std::size_t i = 0; i + 1 < paths.size(); ++i) {
        EXPECT_FALSE(outcomes[i].done) << paths[i];
        EXPECT_FALSE(outcomes[i].error.empty()) << paths[i];
    }
    EXPECT_TRUE(outcomes.back().done) << outcomes.back().error;
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ReadText(sub / "keep.txt"), "keep");
}

// --- another file system -----------------------------------------------------------------
//
// A second, ordinary file system is mounted in a private mount namespace of a copy of this
// test program (root only), so the host's mounts are never touched. The copy runs the same
// test with TAVOLIN_TRASH_VOLUME_CHILD set and reports through its exit status.

constexpr int kSkipStatus = 77;

[[noreturn]] void SkipChild(const std::string& why) {
    std::fprintf(stderr, "skip: %s\n", why.c_str());
    std::fflush(stderr);
    std::_Exit(kSkipStatus);
}

class Mount {
public:
    explicit Mount(const fs::path& where) : m_where(where) {
        fs::create_directories(where);
        // A named device: GIO treats file systems mounted from "none" as system internal.
        m_ok = mount("tavolin-volume", where.c_str(), "ramfs", 0, nullptr) == 0;
    }
    ~Mount() {
        if (m_ok)
            umount2(m_where.c_str(), MNT_DETACH);
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    bool Ok() const { return m_ok; }

private:
    fs::path m_where;
    bool m_ok = false;
};

void RunOnAnotherFileSystem() {
    if (unshare(CLONE_NEWNS) != 0)
        SkipChild(std::string("no private mount namespace: ") + std::strerror(errno));
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        SkipChild(std::string("cannot make mounts private: ") + std::strerror(errno));
    TempFolder work;
    Mount volume(work.Path() / "volume");
    if (!volume.Ok())
        SkipChild(std::string("cannot mount a file system: ") + std::strerror(errno));

    LinuxPlatform platform;
    fs::path file = work.Path() / "volume/sub/x y.txt";
    WriteText(file, "on the volume");
    std::string before = LocalNow();
    std::vector<DeleteOutcome> outcomes = platform.Delete({file.string()}, DeleteMode::Recycle);
    std::string after = LocalNow();
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_TRUE(outcomes[0].done) << outcomes[0].error;
    EXPECT_FALSE(fs::exists(file));

    // The volume's own trash, with the path relative to the volume's top folder.
    fs::path trash = work.Path() / ("volume/.Trash-" + std::to_string(getuid()));
    EXPECT_EQ(ReadText(trash / "files/x y.txt"), "on the volume");
    std::map<std::string, TrashInfo> infos = ReadTrashInfos(trash);
    ASSERT_EQ(infos.count("x y.txt"), 1u);
    EXPECT_EQ(infos["x y.txt"].path, "sub/x%20y.txt");
    ExpectDeletionDateBetween(infos["x y.txt"].deletionDate, before, after);
    EXPECT_TRUE(ReadTrashInfos(HomeTrash()).empty());

    // Deleting a folder for good stops at a file system mounted inside it.
    fs::path outer = work.Path() / "outer";
    WriteText(outer / "file.txt", "gone");
    Mount inner(outer / "inner");
    ASSERT_TRUE(inner.Ok());
    WriteText(outer / "inner/keep.txt", "kept");
    outcomes = platform.Delete({outer.string()}, DeleteMode::Permanent);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].done);
    EXPECT_THAT(outcomes[0].error, HasSubstr("inner"));
    EXPECT_EQ(ReadText(outer / "inner/keep.txt"), "kept");
    EXPECT_FALSE(fs::exists(outer / "file.txt"));
}

TEST(TrashOnAnotherFileSystem, GoesToTheVolumesOwnTrash) {
    if (std::getenv("TAVOLIN_TRASH_VOLUME_CHILD")) {
        RunOnAnotherFileSystem();
        return;
    }
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a second file system needs root";
    TempFolder scratch("tavolin-trash-child-");
    fs::path output = scratch.Path() / "output";
    ChildProcess child({fs::read_symlink("/proc/self/exe").string(),
                        "--gtest_filter=TrashOnAnotherFileSystem.GoesToTheVolumesOwnTrash"},
                       {{"TAVOLIN_TRASH_VOLUME_CHILD", "1"}}, output.string());
    std::optional<int> status = child.Wait(60s);
    ASSERT_TRUE(status) << "the test copy did not end in time";
    ASSERT_TRUE(WIFEXITED(*status)) << ReadText(output);
    if (WEXITSTATUS(*status) == kSkipStatus)
        GTEST_SKIP() << ReadText(output);
    EXPECT_EQ(WEXITSTATUS(*status), 0) << ReadText(output);
}

} // namespace
} // namespace tavolin
