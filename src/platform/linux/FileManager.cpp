#include "platform/linux/FileManager.h"

#include "platform/linux/GLibPtr.h"
#include "platform/linux/Gio.h"

#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace tavolin::linuxdesktop {

namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr int kCallTimeoutMs = 3000;
constexpr int kActivationTimeoutMs = 10000;

constexpr const char* kFileManagerName = "org.freedesktop.FileManager1";
constexpr const char* kFileManagerPath = "/org/freedesktop/FileManager1";

std::string SessionBusAddress(const GioFunctions& gio) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') {
        return address;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat info {};
        if (stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
            GCharPtr escaped(gio.g_dbus_address_escape_value(socket.c_str()));
            return std::string("unix:path=") + escaped.get();
        }
    }
    return {};
}

// Cancels a GCancellable when a time limit passes, unless the scope ends first. Opening a
// bus connection has no timeout parameter of its own.
class Deadline {
public:
    Deadline(const GioFunctions& gio, GCancellable* cancellable, int milliseconds)
        : m_thread([this, cancel = gio.g_cancellable_cancel, cancellable, milliseconds] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [this] { return m_done; })) {
                  cancel(cancellable);
              }
          }) {}
    ~Deadline() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread; // last: starts once the members above exist
};

GVariantPtr CallBusDaemon(const GioFunctions& gio, GDBusConnection* connection, const char* method,
                          GVariant* parameters, const char* replyType) {
    return GVariantPtr(gio.g_dbus_connection_call_sync(
        connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
        parameters, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr,
        nullptr));
}

bool NameHasOwner(const GioFunctions& gio, GDBusConnection* connection, const char* name) {
    GVariantPtr reply =
        CallBusDaemon(gio, connection, "NameHasOwner", g_variant_new("(s)", name), "(b)");
    gboolean owned = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &owned);
    }
    return owned != FALSE;
}

bool NameIsActivatable(const GioFunctions& gio, GDBusConnection* connection, const char* name) {
    GVariantPtr reply = CallBusDaemon(gio, connection, "ListActivatableNames", nullptr, "(as)");
    if (!reply) {
        return false;
    }
    GVariantPtr names(g_variant_get_child_value(reply.get(), 0));
    const gsize count = g_variant_n_children(names.get());
    for (gsize i = 0; i < count; ++i) {
        const char* candidate = nullptr;
        g_variant_get_child(names.get(), i, "&s", &candidate);
        if (candidate != nullptr && std::strcmp(candidate, name) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

bool CallFileManager(const char* method, const std::vector<std::string>& uris) {
    const GioFunctions* gio = Gio();
    if (gio == nullptr) {
        return false;
    }
    const std::string address = SessionBusAddress(*gio);
    if (address.empty()) {
        return false;
    }

    GObjectPtr<GCancellable> cancellable(gio->g_cancellable_new());
    GObjectPtr<GDBusConnection> connection;
    {
        Deadline deadline(*gio, cancellable.get(), kConnectTimeoutMs);
        connection.reset(gio->g_dbus_connection_new_for_address_sync(
            address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, cancellable.get(), nullptr));
    }
    if (!connection) {
        return false;
    }

    bool accepted = false;
    int timeout = kCallTimeoutMs;
    bool available = NameHasOwner(*gio, connection.get(), kFileManagerName);
    if (!available && NameIsActivatable(*gio, connection.get(), kFileManagerName)) {
        available = true;
        timeout = kActivationTimeoutMs; // the bus starts the file manager first
    }
    if (available) {
        std::vector<const char*> strings;
        strings.reserve(uris.size());
        for (const std::string& uri : uris) {
            strings.push_back(uri.c_str());
        }
        GVariant* list = g_variant_new_strv(strings.data(), static_cast<gssize>(strings.size()));
        // The second argument is the startup-notification id; we have none to pass.
        GVariantPtr reply(gio->g_dbus_connection_call_sync(
            connection.get(), kFileManagerName, kFileManagerPath, kFileManagerName, method,
            g_variant_new("(@ass)", list, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, timeout, nullptr,
            nullptr));
        accepted = static_cast<bool>(reply);
    }
    gio->g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
    return accepted;
}

} // namespace tavolin::linuxdesktop
