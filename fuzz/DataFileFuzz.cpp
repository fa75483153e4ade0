// The button data file: a page is loaded from any file and saved again unchanged. The model
// check: every line of the old file survives in the new one, in its order and byte for
// byte, except lines that held a button the page showed (lines of the shown page, in a
// section of the shown category); each of those is replaced by the button's line, so the
// file keeps its line count (one more when the category had no section: its line).

#include "FuzzSupport.h"

#include "core/store/ButtonStore.h"
#include "core/text/TextFile.h"
#include "fakes/FakePlatform.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

using namespace tavolin;

namespace {

const fuzz::ScratchDir& Scratch() {
    static const fuzz::ScratchDir dir;
    return dir;
}

struct FileLines {
    text::Encoding encoding;
    std::vector<std::string> lines;
};

FileLines Lines(const std::string& bytes) {
    FileLines file{text::DetectEncoding(bytes), {}};
    for (const std::string_view line : text::SplitLines(text::BodyOf(bytes)))
        file.lines.emplace_back(line);
    return file;
}

// Whether a raw line holds a button of `page`: it starts with the page and ":".
// Whether the bytes start with a UTF-16 or UTF-32 byte-order mark.
bool IsWideText(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
           bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4));
}

bool IsLineOfPage(std::string_view line, const std::string& page) {
    return line.size() > page.size() && line.starts_with(page) && line[page.size()] == ':';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::size_t categoryPick = in.ConsumeIntegral<std::uint8_t>();
    const std::string page = in.ConsumeBool() ? std::string("1") : in.ConsumeRandomLengthString(4);
    const std::string fileBytes = in.ConsumeRemainingBytesAsString();

    const std::string txt = Scratch().File("tavolin.txt");
    fuzz::WriteFile(txt, fileBytes);

    testing::FakePlatform platform;
    platform.realFiles = false; // targets never touch the real file system
    ButtonStore store(platform, txt);
    // What the user would be told is not looked at here; the file and the slots are.
    std::ignore = store.LoadCategoryList();
    const std::vector<std::string>& names = store.CategoryNames();
    fuzz::Check(!names.empty(), "there is always a category", fileBytes);
    const std::string category = names[categoryPick % names.size()];
    store.SetCurrentCategory(category);
    store.SetCurrentPage(page);
    std::ignore = store.LoadPage();
    int shown = 0;
    for (int n = 1; n <= ButtonStore::kSlotCount; ++n)
        shown += store.IsUsed(n) ? 1 : 0;

    if (!store.SavePage().saved || IsWideText(fileBytes)) {
        // A UTF-16 or UTF-32 file is never written over, nor is one that could not be saved.
        fuzz::Check(fuzz::ReadFile(txt) == fileBytes, "the file is left as it was", fileBytes);
        return 0;
    }
    const std::string saved = fuzz::ReadFile(txt);
    // A second save of the same page changes nothing.
    fuzz::Check(store.SavePage().saved && fuzz::ReadFile(txt) == saved,
                "a second save writes the same file", fileBytes);
    const FileLines before = Lines(fileBytes);
    const FileLines after = Lines(saved);
    // A page that code page 932 cannot hold turns the file into UTF-8: then an old line is
    // expected as its text re-encoded.
    const auto expectedForm = [&](const std::string& old) {
        if (before.encoding == after.encoding)
            return old;
        return text::EncodeLine(text::DecodeLine(old, before.encoding), after.encoding)
            .value_or(old);
    };

    // Every line that cannot be a shown button stays, in order: a subsequence of the new
    // file. The page's lines in the category's sections may give way (a shown button's, and
    // the numbered ones a later line for the same slot overrode), and the new lines may have
    // the same bytes, so they are matched as a multiset.
    std::vector<bool> used(after.lines.size(), false);
    std::vector<std::string> optional;
    std::size_t next = 0;
    bool inCategory = false;
    bool hasSection = false;
    int numbered = 0; // the page's lines for a slot of their own
    for (const std::string& line : before.lines) {
        if (!line.empty() && line.front() == '[') {
            inCategory = datafile::CategoryLineName(line, before.encoding) == category;
            hasSection = hasSection || inCategory;
        }
        if (inCategory && IsLineOfPage(line, page)) {
            optional.push_back(expectedForm(line));
            const auto number = datafile::DecimalNumber(datafile::RawNumberPart(line));
            numbered += number && *number >= 1 && *number <= ButtonStore::kSlotCount ? 1 : 0;
            continue;
        }
        const std::string expected = expectedForm(line);
        while (next < after.lines.size() && after.lines[next] != expected)
            ++next;
        fuzz::Check(next < after.lines.size(), "a line that is no shown button survives in order",
                    line);
        used[next++] = true;
    }
    std::unordered_map<std::string, int> rest;
    for (std::size_t i = 0; i < after.lines.size(); ++i) {
        if (!used[i])
            ++rest[after.lines[i]];
    }
    int missing = 0;
    for (const std::string& line : optional) {
        if (rest[line] > 0)
            --rest[line];
        else
            ++missing;
    }
    fuzz::Check(missing <= numbered + shown, "no more page lines go than the page held", fileBytes);
    // At most one new line per shown button, and a category line when there was no section.
    const std::size_t most = before.lines.size() - static_cast<std::size_t>(missing) +
                             static_cast<std::size_t>(shown) + (hasSection ? 0 : 1);
    fuzz::Check(shown == 0 || hasSection, "shown buttons come from a section", fileBytes);
    if (after.lines.size() > most)
        fuzz::Dump("file after", saved);
    fuzz::Check(after.lines.size() <= most, "no line comes from nowhere", fileBytes);
    return 0;
}
