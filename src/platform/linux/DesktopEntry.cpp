#include "platform/linux/DesktopEntry.h"

#include "platform/linux/GLibPtr.h"
#include "platform/linux/SystemErrors.h"

#include <stdexcept>

namespace tavolin::linuxdesktop {

namespace {

constexpr const char* kGroup = "Desktop Entry";

[[noreturn]] void ThrowBadKey(const std::string& path, const char* key, const ErrorSlot& error) {
    throw std::runtime_error(path + "\r\nの " + key + "= を読み取れませんでした。\r\n" +
                             GErrorText(error.Get()));
}

// A key's value, empty when the key is missing; a value that cannot be decoded (not UTF-8)
// makes the file invalid.
std::string StringKey(GKeyFile* file, const std::string& path, const char* key) {
    if (!g_key_file_has_key(file, kGroup, key, nullptr)) {
        return {};
    }
    ErrorSlot error;
    GCharPtr value(g_key_file_get_string(file, kGroup, key, error.Out()));
    if (!value) {
        ThrowBadKey(path, key, error);
    }
    return value.get();
}

} // namespace

DesktopEntry ReadDesktopEntry(const std::string& path) {
    GKeyFilePtr file(g_key_file_new());
    ErrorSlot error;
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, error.Out())) {
        throw std::runtime_error(path + "\r\nを読み込めませんでした。\r\n" +
                                 GErrorText(error.Get()));
    }
    if (!g_key_file_has_group(file.get(), kGroup)) {
        throw std::runtime_error(path + "\r\nに [Desktop Entry] がないため、"
                                        "ショートカットとして読み込めませんでした。");
    }
    DesktopEntry entry;
    entry.type = StringKey(file.get(), path, "Type");
    entry.url = StringKey(file.get(), path, "URL");
    if (GCharPtr icon(g_key_file_get_string(file.get(), kGroup, "Icon", nullptr)); icon) {
        entry.icon = icon.get();
    }
    if (g_key_file_has_key(file.get(), kGroup, "Name", nullptr)) {
        // A null locale makes GLib pick Name[lang_COUNTRY], Name[lang], ..., Name from the
        // environment.
        ErrorSlot error;
        GCharPtr name(
            g_key_file_get_locale_string(file.get(), kGroup, "Name", nullptr, error.Out()));
        if (!name) {
            ThrowBadKey(path, "Name", error);
        }
        entry.name = name.get();
    }
    return entry;
}

ApplicationFault FaultOfApplication(const std::string& path) {
    GKeyFilePtr file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        return ApplicationFault::None; // unreadable: not one of these faults
    }
    const auto installed = [](const char* program) {
        GCharPtr found(g_find_program_in_path(program));
        return found != nullptr;
    };
    GCharPtr tryExec(g_key_file_get_string(file.get(), kGroup, "TryExec", nullptr));
    if (tryExec && *tryExec.get() != '\0' && !installed(tryExec.get())) {
        return ApplicationFault::TryExecMissing;
    }
    GCharPtr exec(g_key_file_get_string(file.get(), kGroup, "Exec", nullptr));
    if (!exec || *exec.get() == '\0') {
        return ApplicationFault::NoCommand;
    }
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.get(), nullptr, &argv, nullptr)) {
        return ApplicationFault::BadCommand;
    }
    const bool found = installed(argv[0]);
    g_strfreev(argv);
    return found ? ApplicationFault::None : ApplicationFault::ProgramMissing;
}

std::string LocalPathOfUrl(const std::string& url) {
    if (!url.empty() && url.front() == '/') {
        return url;
    }
    GCharPtr path(g_filename_from_uri(url.c_str(), nullptr, nullptr));
    return path ? std::string(path.get()) : std::string();
}

} // namespace tavolin::linuxdesktop
