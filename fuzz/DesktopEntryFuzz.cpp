// The .desktop shortcut reader: any file gives an entry or a runtime_error naming the file,
// never a crash, and the texts it gives are UTF-8; a URL resolves to an absolute path or to
// nothing; the fault of an application entry (TryExec, Exec split into words, its program
// looked up) is judged without a crash. Programs are looked up in a folder of the harness's
// own, which holds one: "prog".

#include "FuzzSupport.h"

#include "platform/linux/DesktopEntry.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

using namespace tavolin;

namespace {

const fuzz::ScratchDir& Scratch() {
    static const fuzz::ScratchDir dir;
    return dir;
}

void CheckLocalPath(const std::string& url) {
    const std::string path = linuxdesktop::LocalPathOfUrl(url);
    fuzz::Check(path.empty() || path.front() == '/', "a URL's local path is absolute", url);
    if (!url.empty() && url.front() == '/')
        fuzz::Check(path == url, "an absolute path stands for itself", url);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string bin = Scratch().File("bin");
    std::filesystem::create_directory(bin);
    fuzz::WriteFile(bin + "/prog", "#!/bin/sh\n");
    std::filesystem::permissions(bin + "/prog", std::filesystem::perms::owner_all);
    setenv("PATH", bin.c_str(), 1);
    // Localized names are chosen by the language; Japanese is the one the launcher speaks.
    setenv("LANGUAGE", "ja_JP:ja", 1);
    setenv("LANG", "ja_JP.UTF-8", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string url = in.ConsumeRandomLengthString(64);
    const std::string content = in.ConsumeRemainingBytesAsString();
    CheckLocalPath(url);

    const std::string path = Scratch().File("shortcut.desktop");
    fuzz::WriteFile(path, content);
    try {
        const linuxdesktop::DesktopEntry entry = linuxdesktop::ReadDesktopEntry(path);
        fuzz::Check(fuzz::IsWellFormedUtf8(entry.type), "the type is UTF-8", content);
        fuzz::Check(fuzz::IsWellFormedUtf8(entry.name), "the name is UTF-8", content);
        fuzz::Check(fuzz::IsWellFormedUtf8(entry.url), "the URL is UTF-8", content);
        CheckLocalPath(entry.url);
    } catch (const std::runtime_error& error) {
        fuzz::Check(std::string(error.what()).find(path) != std::string::npos,
                    "a refusal names the file", error.what());
    }
    const linuxdesktop::ApplicationFault fault = linuxdesktop::FaultOfApplication(path);
    fuzz::Check(fault >= linuxdesktop::ApplicationFault::None &&
                    fault <= linuxdesktop::ApplicationFault::ProgramMissing,
                "the fault is one of the known ones", content);
    return 0;
}
