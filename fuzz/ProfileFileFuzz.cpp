// The settings file: one change (a key written or a section erased) and a save
// keep every other line as it was, and what was written reads back; the [Window] settings
// read, saved and read again are the same.

#include "FuzzSupport.h"

#include "core/settings/ProfileFile.h"
#include "core/settings/Settings.h"
#include "core/text/Cp932.h"
#include "core/text/TextFile.h"
#include "fakes/FakePlatform.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tavolin;

namespace {

const fuzz::ScratchDir& Scratch() {
    static const fuzz::ScratchDir dir;
    return dir;
}

// A file's lines as they are on disk.
std::vector<std::string> LinesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    for (const std::string_view line : text::SplitLines(text::BodyOf(bytes)))
        lines.emplace_back(line);
    return lines;
}

// Checks that `after` is `before` with at most `removed` consecutive lines taken out and at
// most `added` consecutive lines put in at the same place.
// A line is the same when its bytes are; when the file changed its encoding (a written
// text that code page 932 cannot hold makes it UTF-8), also when it is its text re-encoded.
void CheckOneChange(const std::string& beforeBytes, const std::string& afterBytes,
                    std::size_t removed, std::size_t added, std::string_view input) {
    const std::vector<std::string> before = LinesOf(beforeBytes);
    const std::vector<std::string> after = LinesOf(afterBytes);
    const text::Encoding from = text::DetectEncoding(beforeBytes);
    const text::Encoding to = text::DetectEncoding(afterBytes);
    const auto same = [&](std::size_t i, std::size_t j) {
        return before[i] == after[j] ||
               (from != to && text::EncodeLine(text::DecodeLine(before[i], from), to) == after[j]);
    };
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && same(prefix, prefix))
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           same(before.size() - 1 - suffix, after.size() - 1 - suffix))
        ++suffix;
    if (before.size() - prefix - suffix > removed || after.size() - prefix - suffix > added)
        fuzz::Dump("file after", afterBytes);
    fuzz::Check(before.size() - prefix - suffix <= removed, "no other line is lost", input);
    fuzz::Check(after.size() - prefix - suffix <= added, "no other line is added", input);
}

bool HasByteEscape(std::string_view utf8) {
    // Escape characters are U+10FE00 to U+10FEFF: F4 8F B8 xx to F4 8F BB xx.
    for (std::size_t i = 0; i + 2 < utf8.size(); ++i) {
        if (utf8[i] == '\xF4' && utf8[i + 1] == '\x8F' &&
            (static_cast<unsigned char>(utf8[i + 2]) & 0xFCu) == 0xB8u)
            return true;
    }
    return false;
}

// The [Window] settings survive a save: what LoadSettings read, SaveSettings wrote and
// LoadSettings reads again is the same.
void CheckSettingsRoundTrip(std::string_view fileBytes) {
    const std::string path = Scratch().File("settings.ini");
    fuzz::WriteFile(path, fileBytes);
    testing::FakePlatform platform;
    const ProfileFile loaded(path);
    const WindowSettings settings = LoadSettings(loaded);
    std::string error;
    if (!SaveSettingsFile(platform, path, settings, error)) {
        fuzz::Check(fuzz::ReadFile(path) == fileBytes, "a failed save leaves the file", fileBytes);
        return;
    }
    const ProfileFile saved(path);
    WindowSettings expected = settings;
    if (saved.FileEncoding() != loaded.FileEncoding()) {
        // A code page 932 file that became UTF-8: an undecodable pair such as "\x88d" was
        // read as two byte escapes, and its trail byte now reads as the ASCII letter it is.
        // The bytes are kept; the texts are compared as they read from UTF-8.
        for (std::string* text : {&expected.DateFormat, &expected.DateFontName})
            *text = text::DecodeUtf8(text::EncodeUtf8(*text));
    }
    fuzz::Check(LoadSettings(saved) == expected, "the window settings survive a save", fileBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int operation = in.ConsumeIntegralInRange(0, 1);
    // The names and the value are texts of the program: UTF-8, with any byte that is not
    // UTF-8 held as its escape character, as the decoders make them.
    const std::string section = in.ConsumeBool()
                                    ? std::string("Window")
                                    : text::DecodeUtf8(in.ConsumeRandomLengthString(16));
    const std::string key = text::DecodeUtf8(in.ConsumeRandomLengthString(16));
    const std::string value = text::DecodeUtf8(in.ConsumeRandomLengthString(32));
    const std::string fileBytes = in.ConsumeRemainingBytesAsString();

    const std::string path = Scratch().File("tavolin.ini");
    fuzz::WriteFile(path, fileBytes);
    testing::FakePlatform platform;
    ProfileFile file(path);

    std::size_t removed = 0, added = 0;
    bool written = false;
    switch (operation) {
    case 0:
        written = file.WriteString(section, key, value);
        removed = 1;
        added = 3; // a blank line, the section and the key
        break;
    default:
        file.EraseSection(section);
        removed = fileBytes.size() + 1;
        break;
    }
    std::string error;
    if (!file.Save(platform, error)) {
        fuzz::Check(!file.LoadError().empty(), "a save fails only for a file that was not read",
                    fileBytes);
        fuzz::Check(fuzz::ReadFile(path) == fileBytes, "a failed save leaves the file", fileBytes);
        return 0;
    }
    CheckOneChange(fileBytes, fuzz::ReadFile(path), removed, added, fileBytes);

    // A byte escape is written as its byte, which may read back as a character of the
    // file's encoding; only texts without one must read back as they were.
    if (written && !HasByteEscape(section + key + value)) {
        const ProfileFile reread(path);
        fuzz::Check(reread.ReadString(section, key, "\x01") == value, "a written value reads back",
                    value);
    }

    CheckSettingsRoundTrip(fileBytes);
    return 0;
}
