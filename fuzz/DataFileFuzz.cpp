// The button data file: a page is loaded from any file and saved again unchanged. The model
// check: every line of the old file survives in the new one, in its order and byte for
// byte, except lines that held a button the page showed (lines of the shown page, in a
// section of the shown category); each of those is replaced by the button's line, so the
// file keeps its line count (one more when the category had no section: its line).

#include "FuzzSupport.h"

#include "core/store/ButtonStore.h"
#include "core/text/TextFile.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
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
    const std::string ini = Scratch().File("tavolin.ini");
    fuzz::WriteFile(txt, fileBytes);

    testing::FakePlatform platform;
    platform.realFiles = false; // targets never touch the real file system
    testing::FakeView view;
    ButtonStore store(platform, view, txt, ini);
    store.LoadCategoryList();
    const std::vector<std::string>& names = store.CategoryNames();
    fuzz::Check(!names.empty(), "there is always a category", fileBytes);
    const std::string category = names[categoryPick % names.size()];
    store.SetCurrentCategory(category);
    store.SetCurrentPage(page);
    store.LoadPage();
    int shown = 0;
    for (int n = 1; n <= ButtonStore::kSlotCount; ++n)
        shown += store.IsUsed(n) ? 1 : 0;

    if (!store.SavePage() || IsWideText(fileBytes)) {
        // A UTF-16 or UTF-32 file is never written over, nor is one that could not be saved.
        fuzz::Check(fuzz::ReadFile(txt) == fileBytes, "the file is left as it was", fileBytes);
        return 0;
    }
    const FileLines before = Lines(fileBytes);
    const FileLines after = Lines(fuzz::ReadFile(txt));
    // A page that code page 932 cannot hold turns the file into UTF-8: then a line that is
    // its old text re-encoded counts as kept too.
    const auto same = [&](const std::string& old, const std::string& now) {
        return old == now ||
               (before.encoding != after.encoding &&
                text::EncodeLine(text::DecodeLine(old, before.encoding), after.encoding) == now);
    };

    // Every old line in order in the new file; the ones that are not must be lines of the
    // shown page in a section of the shown category.
    std::size_t next = 0;
    bool inCategory = false;
    bool hasSection = false;
    for (const std::string& line : before.lines) {
        if (!line.empty() && line.front() == '[') {
            inCategory = CategoryLineName(line, before.encoding) == category;
            hasSection = hasSection || inCategory;
        }
        std::size_t found = next;
        while (found < after.lines.size() && !same(line, after.lines[found]))
            ++found;
        if (found < after.lines.size()) {
            next = found + 1;
            continue;
        }
        fuzz::Check(inCategory && IsLineOfPage(line, page),
                    "a line that is no button of the shown page survives", line);
    }
    // Each shown button's old line gave way to its new line; no other line went or came.
    const std::size_t expected = before.lines.size() + (hasSection ? 0 : 1);
    fuzz::Check(shown == 0 || hasSection, "shown buttons come from a section", fileBytes);
    fuzz::Check(after.lines.size() == expected, "one line per shown button replaces its old line",
                fileBytes);
    return 0;
}
