#include "core/path/PathHelpers.h"

#include "core/Errors.h"
#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

namespace tavolin {
namespace {

using testing::FakePlatform;

constexpr auto W = PathStyle::Windows;
constexpr auto P = PathStyle::Posix;

TEST(ButtonLineParts, SplitAtFirstColonAndEquals) {
    EXPECT_EQ(KeyPart("12:3=x"), "12");
    EXPECT_EQ(NumberPart("12:3=x"), "3");
    EXPECT_EQ(ValuePart("12:3=x"), "x");
    // "=" before ":" : no number, the value keeps the colon.
    EXPECT_EQ(NumberPart("12=3:x"), "");
    EXPECT_EQ(ValuePart("12=3:x"), "3:x");
    EXPECT_EQ(KeyPart("no colon here"), "");
    EXPECT_EQ(KeyPart(":5=x"), "");
    EXPECT_EQ(ValuePart("1:1"), "");
    // A value with a drive letter and "=" keeps everything after the first "=".
    EXPECT_EQ(ValuePart("1:2=C:\\a=b.exe <TS>a=b<TE>"), "C:\\a=b.exe <TS>a=b<TE>");
}

TEST(ButtonValueParts, TargetAndTitle) {
    EXPECT_EQ(TargetPart("C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>"), "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_EQ(TargetPart("C:\\a.txt   "), "C:\\a.txt");
    EXPECT_EQ(TargetPart("C:\\a.txt\t"), "C:\\a.txt\t"); // tabs are not blanks here
    EXPECT_EQ(TitlePart("C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>", W), "メモ帳");
    // No marker: the file-name part; a title with trailing blanks loses them.
    EXPECT_EQ(TitlePart("C:\\WINDOWS\\NOTEPAD.EXE", W), "NOTEPAD.EXE");
    EXPECT_EQ(TitlePart("x <TS>title  <TE>", W), "title");
    EXPECT_EQ(TitlePart("C:file.txt", W), "file.txt");
    EXPECT_EQ(TitlePart("/usr/bin/gedit", P), "gedit");
    // Nothing usable as a title gives the whole value.
    EXPECT_EQ(TitlePart("C:\\dir\\", W), "C:\\dir\\");
    EXPECT_EQ(TitlePart("/home/u/dir/", P), "/home/u/dir/");
    EXPECT_EQ(TitlePart("C:\\a.exe <TS>", W), "C:\\a.exe <TS>");
    EXPECT_EQ(TitlePart("C:\\a.exe <TS>no end", W), "C:\\a.exe <TS>no end");
    EXPECT_EQ(TitlePart("C:\\a.exe <TE>x<TS>y", W), "C:\\a.exe <TE>x<TS>y");
    // A kanji whose code page 932 form ends in 0x5C is no separator.
    EXPECT_EQ(TitlePart("C:\\ソフト\\表示.exe", W), "表示.exe");
    // "/" separates as Windows reads it: paths from Qt and hand-written lines.
    EXPECT_EQ(TitlePart("C:/windows/notepad.exe", W), "notepad.exe");
    EXPECT_EQ(TitlePart("\\\\server\\share/x", W), "x");
    EXPECT_EQ(TitlePart("Z:/a/b/", W), "Z:/a/b/");
}

TEST(Trimming, BlanksAndSeparators) {
    EXPECT_EQ(TrimTrailingBlanks("abc   "), "abc");
    EXPECT_EQ(TrimTrailingBlanks("   "), "");
    EXPECT_EQ(TrimTrailingBlanks("a\t "), "a\t");
    EXPECT_EQ(TrimTrailingBackslashes("C:\\dir\\\\\\", W), "C:\\dir");
    EXPECT_EQ(TrimTrailingBackslashes("C:\\", W), "C:");
    EXPECT_EQ(TrimTrailingBackslashes("\\\\", W), "");
    EXPECT_EQ(TrimTrailingBackslashes("C:\\ソ", W), "C:\\ソ");
    EXPECT_EQ(TrimTrailingBackslashes("Z:/a/b/", W), "Z:/a/b");
    EXPECT_EQ(TrimTrailingBackslashes("C:/", W), "C:");
    EXPECT_EQ(TrimTrailingBackslashes("/home/u//", P), "/home/u");
    EXPECT_EQ(TrimTrailingBackslashes("/", P), "/");
    EXPECT_EQ(TrimTrailingBackslashes("///", P), "/");
    EXPECT_EQ(TrimTrailingBackslashes("", P), "");
}

TEST(Joining, JoinPathAndEncodeButtonValue) {
    EXPECT_EQ(JoinPath("C:\\", "\\a.txt", W), "C:\\a.txt");
    EXPECT_EQ(JoinPath("C:\\\\\\", "a.txt", W), "C:\\a.txt");
    EXPECT_EQ(JoinPath("C:\\", "", W), "C:\\");
    EXPECT_EQ(JoinPath("C:\\WINDOWS", "NOTEPAD.EXE", W), "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_EQ(JoinPath("/", "vmlinuz", P), "/vmlinuz");
    EXPECT_EQ(JoinPath("/home/u/", "/a b.txt", P), "/home/u/a b.txt");
    EXPECT_EQ(JoinPath("/home/u", "", P), "/home/u");
    // A joined Windows path has "\" only; an internet address keeps its "/".
    EXPECT_EQ(JoinPath("C:/windows", "notepad.exe", W), "C:\\windows\\notepad.exe");
    EXPECT_EQ(JoinPath("C:/", "/a.txt", W), "C:\\a.txt");
    EXPECT_EQ(JoinPath("Z:/a/b", "", W), "Z:\\a\\b");
    EXPECT_EQ(JoinPath("\\\\server\\share/x", "", W), "\\\\server\\share\\x");
    EXPECT_EQ(JoinPath("http://www.example.com/a", "", W), "http://www.example.com/a");

    EXPECT_EQ(EncodeButtonValue("C:\\WINDOWS", "NOTEPAD.EXE", "", W),
              "C:\\WINDOWS\\NOTEPAD.EXE <TS>NOTEPAD.EXE<TE>");
    EXPECT_EQ(EncodeButtonValue("C:", "", "C:\\", W), "C: <TS>C:\\<TE>");
    EXPECT_EQ(EncodeButtonValue("C:\\Data", "", "", W), "C:\\Data <TS>Data<TE>");
    EXPECT_EQ(EncodeButtonValue("/usr/bin", "gedit", "エディタ", P),
              "/usr/bin/gedit <TS>エディタ<TE>");
    EXPECT_EQ(EncodeButtonValue("", "x", "y", W), "");
}

TEST(LastPositions, BytesAndSeparators) {
    EXPECT_EQ(LastPosition('\\', "C:\\a\\b"), 5u);
    EXPECT_EQ(LastPosition('x', "abc"), 0u);
    EXPECT_EQ(LastSeparator("C:file", W), 1u);
    EXPECT_EQ(LastSeparator("C:\\a\\b", W), 4u);
    EXPECT_EQ(LastSeparator("C:/windows/notepad.exe", W), 10u);
    EXPECT_EQ(LastSeparator("a:b/c", P), 3u);
    EXPECT_EQ(LastSeparator("plain", P), std::string::npos);
}

// FolderOf and FileNameOf ask the file system; the fake answers for Windows paths, the real
// file system for POSIX ones.
TEST(FolderAndFileName, WindowsTargets) {
    FakePlatform platform(W);
    platform.AddFile("C:\\WINDOWS\\NOTEPAD.EXE");
    platform.AddFolder("D:\\Data\\");
    platform.AddFolder("C:\\");
    platform.AddFile("C:file.txt");

    EXPECT_EQ(FolderOf("C:\\WINDOWS\\NOTEPAD.EXE <TS>x<TE>", platform), "C:\\WINDOWS");
    EXPECT_EQ(FileNameOf("C:\\WINDOWS\\NOTEPAD.EXE <TS>x<TE>", platform), "NOTEPAD.EXE");
    EXPECT_EQ(FolderOf("D:\\Data\\", platform), "D:\\Data");
    EXPECT_EQ(FileNameOf("D:\\Data\\", platform), "");
    EXPECT_EQ(FolderOf("C:\\", platform), "C:");
    EXPECT_EQ(FolderOf("C:file.txt", platform), "C:");
    // A missing target is all folder, with trailing blanks and separators removed.
    EXPECT_EQ(FolderOf("X:\\gone\\old.exe\\  ", platform), "X:\\gone\\old.exe");
    EXPECT_EQ(FileNameOf("X:\\gone\\old.exe", platform), "");

    // Written with "/": split as Windows reads it, and rebuilt with "\" when the page is saved.
    platform.AddFile("C:/windows/notepad.exe");
    platform.AddFolder("Z:/a/b/");
    platform.AddFolder("C:/");
    platform.AddFile("\\\\server\\share/x");
    const auto rebuilt = [&](const std::string& value) {
        return EncodeButtonValue(FolderOf(value, platform), FileNameOf(value, platform), "", W);
    };
    EXPECT_EQ(FolderOf("C:/windows/notepad.exe", platform), "C:/windows");
    EXPECT_EQ(FileNameOf("C:/windows/notepad.exe", platform), "notepad.exe");
    EXPECT_EQ(rebuilt("C:/windows/notepad.exe"), "C:\\windows\\notepad.exe <TS>notepad.exe<TE>");
    EXPECT_EQ(FolderOf("Z:/a/b/", platform), "Z:/a/b");
    EXPECT_EQ(rebuilt("Z:/a/b/"), "Z:\\a\\b <TS>b<TE>");
    EXPECT_EQ(FolderOf("C:/", platform), "C:");
    EXPECT_EQ(FolderOf("\\\\server\\share/x", platform), "\\\\server\\share");
    EXPECT_EQ(rebuilt("\\\\server\\share/x"), "\\\\server\\share\\x <TS>x<TE>");
}

TEST(FolderAndFileName, PosixTargetsOnRealFiles) {
    FakePlatform platform(P);
    const auto dir = std::filesystem::temp_directory_path() / "tavolin-pathhelpers-test";
    std::filesystem::create_directories(dir / "sub dir");
    { std::ofstream(dir / "sub dir" / "a b.sh") << "#!/bin/sh\n"; }
    const std::string folder = (dir / "sub dir").string();

    EXPECT_EQ(FolderOf(folder + "/a b.sh <TS>t<TE>", platform), folder);
    EXPECT_EQ(FileNameOf(folder + "/a b.sh", platform), "a b.sh");
    EXPECT_EQ(FolderOf(folder + "/", platform), folder);
    EXPECT_EQ(FolderOf("/", platform), "/");
    EXPECT_EQ(FileNameOf("/", platform), "");
    platform.AddFile("/vmlinuz");
    EXPECT_EQ(FolderOf("/vmlinuz", platform), "/");
    EXPECT_EQ(FileNameOf("/vmlinuz", platform), "vmlinuz");
    std::filesystem::remove_all(dir);
}

TEST(LongNames, ExpandsEachComponent) {
    FakePlatform platform(W);
    platform.entryNames["C:\\PROGRA~1\\MYAPP~1\\APP.EXE"] = "App.exe";
    platform.entryNames["C:\\PROGRA~1\\MYAPP~1"] = "My Application";
    platform.entryNames["C:\\PROGRA~1"] = "Program Files";
    EXPECT_EQ(ExpandLongName("C:\\PROGRA~1\\MYAPP~1\\APP.EXE", platform),
              "C:\\Program Files\\My Application\\App.exe");
    // Relative paths are made absolute first.
    platform.currentFolder = "C:\\PROGRA~1";
    EXPECT_EQ(ExpandLongName("MYAPP~1", platform), "C:\\Program Files\\My Application");

    platform.realFiles = false;
    try {
        ExpandLongName("C:\\PROGRA~1\\NOPE~1.TXT", platform);
        FAIL() << "a missing component must raise";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "ファイルが見つかりません。");
    }
}

TEST(LongNames, PosixPathsStayAsTheyAre) {
    FakePlatform platform(P);
    const auto dir = std::filesystem::temp_directory_path() / "tavolin-longname-test";
    std::filesystem::create_directories(dir);
    { std::ofstream(dir / "File~1.txt") << "x"; }
    const std::string file = (dir / "File~1.txt").string();
    EXPECT_EQ(ExpandLongName(file, platform), file);
    EXPECT_EQ(ExpandLongName("/", platform), "/");
    // With "/" on every system (std::filesystem writes "\" on Windows, which the POSIX style
    // does not split at).
    EXPECT_THROW(ExpandLongName((dir / "missing~1").generic_string(), platform), ConversionError);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tavolin
