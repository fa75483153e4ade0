#include "core/browse/Browser.h"

#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavolin::browse {
namespace {

namespace fs = std::filesystem;
using testing::FakePlatform;
using testing::FakeView;

std::vector<std::string> Names(const Browser& browser) {
    std::vector<std::string> names;
    for (const Row& row : browser.Rows())
        names.push_back(row.name);
    return names;
}

int RowOf(const Browser& browser, const std::string& name) {
    const auto& rows = browser.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

// The fixtures in the host's own path style: the root of the file system the temporary
// folders are on, "/" on Linux and their drive on Windows ("C:", as that style stores a drive
// root), and the separator.
std::string Top() {
    const std::string drive = fs::temp_directory_path().root_name().string();
    return drive.empty() ? "/" : drive;
}
PathStyle HostStyle() {
    return Top() == "/" ? PathStyle::Posix : PathStyle::Windows;
}
const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));

// A real folder tree, browsed through the fake platform (which reads real files) with a drive
// list of the root and the tree itself.
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir.Write("a.txt", std::string(2000, 'x'));
        m_dir.Write("B.dat");
        m_dir.Write("sub/inner.txt");
        fs::create_directory(m_dir.Path() / "empty");
        m_platform.drives = {{Top(), Top(), DriveKind::Fixed}, {Root(), "tree", DriveKind::Home}};
    }
    std::string Root() const { return m_dir.Path().string(); }
    std::string At(const std::string& name) const { return (m_dir.Path() / name).string(); }

    testing::TempDir m_dir;
    FakePlatform m_platform{HostStyle()};
    FakeView m_view;
    CurrentDirectories m_directories;
    Browser m_browser{m_platform, m_view, m_directories};
};

TEST_F(BrowserTest, OpensAtTheStartFileOrAtTheCurrentFolder) {
    m_browser.Create(At("a.txt"), Top());
    EXPECT_EQ(m_browser.Path(), Root());
    EXPECT_EQ(m_browser.File(), "a.txt");
    EXPECT_EQ(m_browser.Drive(), 1);
    const int selected = m_browser.Showing();
    EXPECT_EQ(Names(m_browser), (std::vector<std::string>{"empty", "sub", "a.txt", "B.dat"}));
    EXPECT_EQ(selected, RowOf(m_browser, "a.txt"));
    EXPECT_EQ(m_browser.SortState(), kName);

    Browser fresh(m_platform, m_view, m_directories);
    fresh.Create("", At("sub"));
    EXPECT_EQ(fresh.Path(), At("sub"));
    EXPECT_EQ(fresh.File(), "");
    EXPECT_EQ(fresh.Showing(), -1); // nothing chosen
    EXPECT_EQ(Names(fresh), std::vector<std::string>{"inner.txt"});
}

TEST_F(BrowserTest, TheFolderFieldListsExistingFoldersWithoutATrailingSeparator) {
    m_browser.Create("", Root());
    m_browser.Showing();
    const auto listed = m_browser.Listings();
    struct Case {
        std::string text;
        bool listed;
    };
    for (const Case& c : std::vector<Case>{
             {At("sub") + kSeparator, false}, // left as it was, also by F5
             {At("sub"), true},
             {At("missing"), false},
             {At("a.txt"), false},
             {Top(), true}, // the root cannot be written otherwise
         }) {
        const auto before = m_browser.Listings();
        EXPECT_EQ(m_browser.PathChanged(c.text), c.listed) << c.text;
        EXPECT_EQ(m_browser.Reload(), c.listed) << c.text;
        EXPECT_EQ(m_browser.Listings() - before, c.listed ? 2u : 0u) << c.text;
        EXPECT_EQ(m_browser.Path(), c.text);
    }
    EXPECT_GT(m_browser.Listings(), listed);
    EXPECT_EQ(m_browser.Drive(), 0); // the root lies on the root entry
}

TEST_F(BrowserTest, NavigatingUpIntoFoldersAndToTheSpecialFolders) {
    m_browser.Create("", At("sub"));
    m_browser.Showing();
    m_browser.ColumnClick(kSize);
    EXPECT_TRUE(m_browser.Up());
    EXPECT_EQ(m_browser.Path(), Root());
    EXPECT_EQ(m_browser.SortState(), kName); // every listing sorts by name again
    m_browser.DoubleClick(RowOf(m_browser, "empty"));
    EXPECT_EQ(m_browser.Path(), At("empty"));
    EXPECT_TRUE(m_browser.Rows().empty());

    m_browser.PathChanged(Top());
    EXPECT_FALSE(m_browser.Up()); // the root has nothing above it
    EXPECT_EQ(m_browser.Path(), Top());

    m_platform.specialFolders[SpecialFolder::Desktop] = At("sub") + kSeparator;
    EXPECT_TRUE(m_browser.GoSpecial(SpecialFolder::Desktop));
    EXPECT_EQ(m_browser.Path(), At("sub"));
    EXPECT_EQ(m_browser.Drive(), 1);
    EXPECT_FALSE(m_browser.GoSpecial(SpecialFolder::SendTo));
    EXPECT_EQ(m_browser.Path(), At("sub"));
}

TEST_F(BrowserTest, SelectingDoubleClickingAndTheChecksAtOk) {
    m_browser.Create("", Root());
    m_browser.Showing();
    m_browser.SelectItem(RowOf(m_browser, "B.dat"));
    EXPECT_EQ(m_browser.File(), "B.dat");
    m_browser.SelectItem(RowOf(m_browser, "sub"));
    EXPECT_EQ(m_browser.File(), "");

    // A folder with no file is a choice of its own.
    EXPECT_EQ(m_browser.Ok(), Next::Accept);
    EXPECT_EQ(m_browser.Result(), Root());

    m_browser.SetFile("nothing.txt");
    EXPECT_EQ(m_browser.Ok(), Next::FocusFile);
    m_browser.PathChanged(At("missing"));
    EXPECT_EQ(m_browser.Ok(), Next::FocusPath);
    ASSERT_EQ(m_view.messages.size(), 2u);
    EXPECT_EQ(m_view.messages[0].text, "ファイルが存在しません。");
    EXPECT_EQ(m_view.messages[1].text, "パスが存在しません。");
    EXPECT_EQ(m_view.messages[1].kind, MsgKind::Warning);

    m_browser.PathChanged(Root());
    EXPECT_EQ(m_browser.DoubleClick(RowOf(m_browser, "a.txt")), Next::Accept);
    EXPECT_EQ(m_browser.Result(), At("a.txt"));

    // An entry that went away after the listing.
    fs::remove(At("B.dat"));
    EXPECT_EQ(m_browser.DoubleClick(RowOf(m_browser, "B.dat")), Next::FocusPath);
    EXPECT_EQ(m_view.messages.back().text, "パスもしくは選択されたファイルが無効な値です。");
    EXPECT_EQ(m_browser.Path(), Root());
}

TEST_F(BrowserTest, DrivesRememberTheirFolderAndAnUnreadableOneOffersRetry) {
    m_browser.Create("", At("sub"));
    m_browser.Showing();
    EXPECT_TRUE(m_browser.ChangeDrive(0));
    EXPECT_EQ(m_browser.Path(), Top());
    EXPECT_TRUE(m_browser.ChangeDrive(1));
    EXPECT_EQ(m_browser.Path(), At("sub")); // the tree's last folder in this run
    fs::remove_all(At("sub"));
    EXPECT_TRUE(m_browser.ChangeDrive(1));
    EXPECT_EQ(m_browser.Path(), Root()); // gone: the drive's root

    m_platform.drives.push_back({At("no-medium"), "CD", DriveKind::Removable});
    Browser withCd(m_platform, m_view, m_directories);
    withCd.Create("", Root());
    withCd.Showing();
    m_view.answers = {MsgResult::Retry, MsgResult::Cancel};
    EXPECT_FALSE(withCd.ChangeDrive(2));
    ASSERT_EQ(m_view.messages.size(), 2u);
    EXPECT_EQ(m_view.messages[0].text, "CD にアクセスできません。");
    EXPECT_EQ(m_view.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(m_view.messages[0].buttons, msg_buttons::kCancelRetry);
    EXPECT_EQ(withCd.Drive(), 1); // back on the folder field's drive
    EXPECT_EQ(withCd.Path(), Root());
}

TEST(BrowsePaths, TheDriveOfAPathAndTheFolderAboveIt) {
    const std::vector<DriveEntry> posix{{"/", "/", DriveKind::Fixed},
                                        {"/home/u", "ホーム", DriveKind::Home},
                                        {"/home/u/mnt/data", "data", DriveKind::Fixed},
                                        {"/media/u/STICK", "STICK", DriveKind::Removable}};
    const std::vector<DriveEntry> windows{{"C:", "C:", DriveKind::Fixed},
                                          {"D:", "D:", DriveKind::Fixed}};
    struct DriveCase {
        std::string path;
        PathStyle style;
        int drive;
    };
    for (const DriveCase& c : std::vector<DriveCase>{
             {"/home/u/Documents", PathStyle::Posix, 1},
             {"/home/u", PathStyle::Posix, 1},
             {"/home/user2", PathStyle::Posix, 0}, // a longer name is not inside /home/u
             {"/home/u/mnt/data/x", PathStyle::Posix, 2},
             {"/media/u/STICK", PathStyle::Posix, 3},
             {"/usr", PathStyle::Posix, 0},
             {"d:\\Data", PathStyle::Windows, 1},
             {"C:", PathStyle::Windows, 0},
             {"C:\\", PathStyle::Windows, 0},
             {"E:\\x", PathStyle::Windows, -1},
         }) {
        EXPECT_EQ(DriveOf(c.style == PathStyle::Posix ? posix : windows, c.path, c.style), c.drive)
            << c.path;
    }

    struct ParentCase {
        std::string path;
        PathStyle style;
        std::optional<std::string> parent;
    };
    for (const ParentCase& c : std::vector<ParentCase>{
             {"C:\\a\\b", PathStyle::Windows, "C:\\a"},
             {"C:\\a", PathStyle::Windows, "C:"},
             {"C:\\a\\", PathStyle::Windows, "C:"},
             {"C:\\", PathStyle::Windows, std::nullopt},
             {"C:", PathStyle::Windows, std::nullopt},
             {"/a/b", PathStyle::Posix, "/a"},
             {"/a", PathStyle::Posix, "/"},
             {"/a/", PathStyle::Posix, "/"},
             {"/", PathStyle::Posix, std::nullopt},
         }) {
        EXPECT_EQ(ParentFolder(c.path, c.style), c.parent) << c.path;
    }
}

} // namespace
} // namespace tavolin::browse
