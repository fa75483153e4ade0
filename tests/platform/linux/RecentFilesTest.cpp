#include "platform/linux/RecentFiles.h"
#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopTestSupport.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <set>

namespace tavolin::linuxdesktop {
namespace {

using namespace tavolin::testing;

const IsolatedDesktop& g_desktop = IsolatedDesktop::Instance();

std::string Fixture() {
    return ReadText(std::string(TAVOLIN_TEST_DATA) + "/xbel/recently-used.xbel");
}

fs::path ListFile() {
    return g_desktop.DataHome() / "recently-used.xbel";
}

// Names in a folder other than the ones given: left-over temporary files.
std::vector<std::string> StrayFiles(const fs::path& folder, const std::set<std::string>& known) {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!known.count(entry.path().filename().string()))
            stray.push_back(entry.path().filename().string());
    }
    return stray;
}

class RecentFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(g_desktop.DataHome());
        fs::create_directories(g_desktop.DataHome());
    }
    LinuxPlatform m_platform;
};

TEST_F(RecentFilesTest, ListsLocalFilesNewestFirstKeepingMissingOnes) {
    WriteText(ListFile(), Fixture());
    std::vector<RecentDocument> documents = m_platform.RecentDocuments();

    // None of these files exists here; they are listed all the same. The web page and the
    // file on another host are not local files and are left out, though they are newer.
    struct Expected {
        const char* path;
        const char* title;
        std::int64_t modified;
    };
    const Expected expected[] = {
        {"/home/user/Documents/report 2023.odt", "report 2023.odt", 1683108000}, // visited
        {"/home/user/写真/ソ.png", "ソ.png", 1683014400},
        {"/home/user/R&D/plan.txt", "plan.txt", 1680352200}, // modified after its visit
        {"/home/user/Projects/", "Projects", 1678863600},
        {"/home/user/old.txt", "old.txt", 1672531200},
    };
    ASSERT_EQ(documents.size(), std::size(expected));
    for (std::size_t i = 0; i < documents.size(); ++i) {
        EXPECT_EQ(documents[i].path, expected[i].path) << i;
        EXPECT_EQ(documents[i].target, expected[i].path) << i;
        EXPECT_EQ(documents[i].title, expected[i].title) << i;
        EXPECT_EQ(documents[i].modified, expected[i].modified) << i;
    }
}

TEST_F(RecentFilesTest, AMissingEmptyOrDamagedListGivesWhatCanBeRead) {
    EXPECT_TRUE(m_platform.RecentDocuments().empty());
    WriteText(ListFile(), "");
    EXPECT_TRUE(m_platform.RecentDocuments().empty());
    WriteText(ListFile(), "this is not XML <<<");
    EXPECT_TRUE(m_platform.RecentDocuments().empty());
    // Cut off in the middle of a later bookmark: the bookmarks before it are still listed.
    std::string text = Fixture();
    WriteText(ListFile(), text.substr(0, text.find("R&amp;D") + 3));
    std::vector<RecentDocument> documents = m_platform.RecentDocuments();
    ASSERT_EQ(documents.size(), 3u);
    EXPECT_EQ(documents[0].path, "/home/user/Documents/report 2023.odt");
    EXPECT_EQ(documents[1].path, "/home/user/写真/ソ.png");
    EXPECT_EQ(documents[2].path, "/home/user/old.txt");
}

TEST_F(RecentFilesTest, ClearingWritesAnEmptyListAtomicallyWithOwnerOnlyMode) {
    WriteText(ListFile(), Fixture());
    fs::permissions(ListFile(), fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(m_platform.ClearRecentDocuments());

    EXPECT_EQ(ReadText(ListFile()), kEmptyRecentList);
    struct stat st {};
    ASSERT_EQ(stat(ListFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(m_platform.RecentDocuments().empty());
    EXPECT_TRUE(StrayFiles(g_desktop.DataHome(), {"recently-used.xbel"}).empty());

    // Toolkits read the emptied list as a list: an entry added to it is found again.
    std::string withEntry = kEmptyRecentList;
    std::string bookmark =
        "  <bookmark href=\"file:///home/user/new.txt\" added=\"2024-01-01T00:00:00Z\" "
        "modified=\"2024-01-01T00:00:00Z\" visited=\"2024-01-01T00:00:00Z\"/>\n";
    withEntry.insert(withEntry.find("</xbel>"), bookmark);
    ASSERT_EQ(ParseRecentList(withEntry).size(), 1u);
}

TEST_F(RecentFilesTest, ClearingFollowsALinkedListAndLeavesAMissingListAlone) {
    // No list yet: nothing to clear, and nothing is created.
    EXPECT_TRUE(m_platform.ClearRecentDocuments());
    EXPECT_FALSE(fs::exists(fs::symlink_status(ListFile())));

    TempFolder elsewhere;
    fs::path real = elsewhere.Path() / "dotfiles-recent.xbel";
    WriteText(real, Fixture());
    fs::create_symlink(real, ListFile());
    ASSERT_TRUE(m_platform.ClearRecentDocuments());
    EXPECT_TRUE(fs::is_symlink(ListFile()));
    EXPECT_EQ(ReadText(real), kEmptyRecentList);
}

TEST_F(RecentFilesTest, AFailedClearingLeavesTheListAsItWas) {
    // The list's name taken by a folder.
    fs::create_directories(ListFile() / "inside");
    EXPECT_FALSE(m_platform.ClearRecentDocuments());
    EXPECT_TRUE(fs::is_directory(ListFile() / "inside"));
    fs::remove_all(ListFile());

    // The list's folder is not a folder.
    TempFolder work;
    WriteText(work.Path() / "data", "a file");
    std::string error;
    EXPECT_FALSE(ClearRecentList((work.Path() / "data/recently-used.xbel").string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadText(work.Path() / "data"), "a file");

    // Writing fails half way (a file-size limit stands in for a full disk, also for root):
    // the old list stays whole and no temporary file is left.
    WriteText(ListFile(), Fixture());
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tiny = old;
    tiny.rlim_cur = 16;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool cleared = ClearRecentList(ListFile().string(), error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(cleared);
    EXPECT_EQ(ReadText(ListFile()), Fixture());
    EXPECT_TRUE(StrayFiles(g_desktop.DataHome(), {"recently-used.xbel"}).empty());
}

TEST_F(RecentFilesTest, TheFileManagerShowsTheFolderOfTheListWithoutRecentSupport) {
    // This process uses GIO's local file system only, which has no "recent:" location.
    EXPECT_EQ(RecentListLocation(), g_desktop.DataHome().string());
    EXPECT_EQ(RecentListFile(), ListFile().string());
}

} // namespace
} // namespace tavolin::linuxdesktop
