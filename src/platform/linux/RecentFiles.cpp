#include "platform/linux/RecentFiles.h"

#include "platform/linux/FileReplacement.h"
#include "platform/linux/Gio.h"
#include "platform/linux/SystemErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tavolin::linuxdesktop {

const char* const kEmptyRecentList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\"\n"
    "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
    "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
    ">\n"
    "</xbel>\n";

namespace {

std::int64_t UnixTime(GDateTime* time) {
    return time ? g_date_time_to_unix(time) : 0;
}

std::string FileNameOfPath(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    std::size_t slash = trimmed.rfind('/');
    return slash == std::string::npos || trimmed == "/" ? trimmed : trimmed.substr(slash + 1);
}

std::string FolderOfPath(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string RecentListFile() {
    const char* dataHome = g_get_user_data_dir();
    return std::string(dataHome ? dataHome : "") + "/recently-used.xbel";
}

std::vector<RecentDocument> ParseRecentList(std::string_view xbel) {
    std::vector<RecentDocument> documents;
    if (xbel.empty())
        return documents;
    GBookmarkFile* bookmarks = g_bookmark_file_new();
    // A damaged file still yields the bookmarks completed before the damage.
    g_bookmark_file_load_from_data(bookmarks, xbel.data(), xbel.size(), nullptr);

    gsize count = 0;
    gchar** uris = g_bookmark_file_get_uris(bookmarks, &count);
    for (gsize i = 0; i < count; ++i) {
        gchar* hostname = nullptr;
        gchar* path = g_filename_from_uri(uris[i], &hostname, nullptr);
        bool local = path && (!hostname || g_ascii_strcasecmp(hostname, "localhost") == 0);
        if (local) {
            RecentDocument document;
            document.path = path;
            document.target = document.path;
            document.title = FileNameOfPath(document.path);
            document.modified = std::max(
                UnixTime(g_bookmark_file_get_modified_date_time(bookmarks, uris[i], nullptr)),
                UnixTime(g_bookmark_file_get_visited_date_time(bookmarks, uris[i], nullptr)));
            documents.push_back(std::move(document));
        }
        g_free(path);
        g_free(hostname);
    }
    g_strfreev(uris);
    g_bookmark_file_free(bookmarks);

    std::stable_sort(
        documents.begin(), documents.end(),
        [](const RecentDocument& a, const RecentDocument& b) { return a.modified > b.modified; });
    return documents;
}

std::vector<RecentDocument> ReadRecentList(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseRecentList(text);
}

bool ClearRecentList(const std::string& file, std::string& error) {
    struct stat st {};
    if (lstat(file.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true; // no list, nothing to clear
        error = file + ": " + ErrnoText(errno);
        return false;
    }
    // The list is private to the user: 0600, whatever the old file had.
    const auto replacement = BeginFileReplacement(file, 0600, error);
    if (!replacement)
        return false;
    replacement->Write(kEmptyRecentList);
    return replacement->Commit(error);
}

std::string RecentListLocation() {
    // Without GIO there are no virtual file systems to ask; the folder always works.
    if (const GioFunctions* gio = Gio()) {
        const gchar* const* schemes =
            gio->g_vfs_get_supported_uri_schemes(gio->g_vfs_get_default());
        for (std::size_t i = 0; schemes && schemes[i]; ++i) {
            if (std::string_view(schemes[i]) == "recent")
                return "recent:///";
        }
    }
    return FolderOfPath(RecentListFile());
}

} // namespace tavolin::linuxdesktop
