#include "platform/linux/SessionEnd.h"

#include "platform/linux/GLibPtr.h"
#include "platform/linux/Gio.h"
#include "platform/linux/SystemErrors.h"

#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace tavolin::linuxdesktop {

namespace {

int Milliseconds(std::chrono::milliseconds duration) {
    auto count = duration.count();
    if (count < 1)
        return 1;
    return count > G_MAXINT ? G_MAXINT : static_cast<int>(count);
}

std::string TakeError(GError* error, const std::string& fallback) {
    if (!error)
        return fallback;
    std::string text = error->message;
    g_error_free(error);
    return text;
}

// A private main context made current for the calling thread while a session operation
// runs, so that our asynchronous steps never wait on (or disturb) the program's own loop.
// It outlives the connection made in it.
class PrivateContext {
public:
    PrivateContext() : m_context(g_main_context_new()) {
        g_main_context_push_thread_default(m_context);
    }
    ~PrivateContext() {
        g_main_context_pop_thread_default(m_context);
        g_main_context_unref(m_context);
    }
    PrivateContext(const PrivateContext&) = delete;
    PrivateContext& operator=(const PrivateContext&) = delete;
    GMainContext* Get() const { return m_context; }

private:
    GMainContext* m_context;
};

struct ConnectState {
    decltype(&g_dbus_connection_new_for_address_finish) finish = nullptr;
    GDBusConnection* connection = nullptr;
    GError* error = nullptr;
    bool done = false;
    ~ConnectState() {
        if (connection)
            UnrefGObject(connection);
        if (error)
            g_error_free(error);
    }
};

void OnConnected(GObject*, GAsyncResult* result, gpointer data) {
    auto* holder = static_cast<std::shared_ptr<ConnectState>*>(data);
    ConnectState& state = **holder;
    state.connection = state.finish(result, &state.error);
    state.done = true;
    delete holder;
}

gboolean OnTimeout(gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

// Runs the context until `done` or the time is up.
void RunUntil(GMainContext* context, const bool& done, std::chrono::milliseconds timeout) {
    bool timedOut = false;
    GSource* timer = g_timeout_source_new(static_cast<guint>(Milliseconds(timeout)));
    g_source_set_callback(timer, OnTimeout, &timedOut, nullptr);
    g_source_attach(timer, context);
    while (!done && !timedOut)
        g_main_context_iteration(context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
}

// A private connection to the bus at `address`, or null with `error` set. Connecting,
// authenticating and registering on the bus together take at most `timeout`.
GDBusConnection* Connect(const GioFunctions& gio, const PrivateContext& context,
                         const std::string& address, std::chrono::milliseconds timeout,
                         std::string& error) {
    if (address.empty()) {
        error = "no bus is available";
        return nullptr;
    }
    auto state = std::make_shared<ConnectState>();
    state->finish = gio.g_dbus_connection_new_for_address_finish;
    GCancellable* cancellable = gio.g_cancellable_new();
    gio.g_dbus_connection_new_for_address(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancellable, OnConnected, new std::shared_ptr<ConnectState>(state));
    RunUntil(context.Get(), state->done, timeout);
    if (!state->done) {
        // Cancel and give the cancelled attempt a moment to wind down. Should it still be
        // stuck (a peer that accepted but never answers), it finishes on its own later and
        // its result is dropped.
        gio.g_cancellable_cancel(cancellable);
        RunUntil(context.Get(), state->done, std::chrono::milliseconds(200));
        gio.g_object_unref(cancellable);
        error = "the bus at " + address + " did not answer in time";
        return nullptr;
    }
    gio.g_object_unref(cancellable);
    if (!state->connection) {
        error = "cannot connect to the bus: " +
                (state->error ? std::string(state->error->message) : std::string("unknown error"));
        return nullptr;
    }
    GDBusConnection* connection = state->connection;
    state->connection = nullptr;
    return connection;
}

class Connection {
public:
    Connection(const GioFunctions& gio, GDBusConnection* connection)
        : m_gio(gio), m_connection(connection) {}
    ~Connection() {
        if (m_connection) {
            m_gio.g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
            m_gio.g_object_unref(m_connection);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    GDBusConnection* Get() const { return m_connection; }

private:
    const GioFunctions& m_gio;
    GDBusConnection* m_connection;
};

// Calls a method and returns its reply (null on failure, with `error` set). The reply
// must match `replyType` (null: any). Consumes a floating `parameters`.
GVariant* Call(const GioFunctions& gio, GDBusConnection* connection, const char* name,
               const char* path, const char* interface, const char* method, GVariant* parameters,
               const GVariantType* replyType, GDBusCallFlags flags,
               std::chrono::milliseconds timeout, std::string& error) {
    GError* callError = nullptr;
    GVariant* reply = gio.g_dbus_connection_call_sync(connection, name, path, interface, method,
                                                      parameters, replyType, flags,
                                                      Milliseconds(timeout), nullptr, &callError);
    if (!reply) {
        bool late = IsIoError(callError) && callError->code == G_IO_ERROR_TIMED_OUT;
        std::string detail = TakeError(callError, "call failed");
        error = std::string(name) + " " + method + ": " + (late ? "no answer in time" : detail);
    }
    return reply;
}

bool NameHasOwner(const GioFunctions& gio, GDBusConnection* connection, const char* name,
                  std::chrono::milliseconds timeout, std::string& error) {
    GVariant* reply = Call(gio, connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name),
                           G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, timeout, error);
    if (!reply)
        return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

struct SessionManager {
    const char* name;
    const char* path;
    const char* interface;
    const char* method;
    GVariant* (*arguments)();
};

// The session managers asked, in this order; the first that owns its name on the bus is
// the one of the running desktop.
const SessionManager kSessionManagers[] = {
    // GNOME, and the desktops that took over its interface (MATE, Cinnamon, Budgie).
    // Mode 1: log out without the manager's own confirmation dialog.
    {"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Logout",
     [] { return g_variant_new("(u)", 1u); }},
    // KDE Plasma 6 (and 5.25 on).
    {"org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout",
     [] { return static_cast<GVariant*>(nullptr); }},
    // KDE Plasma 5: no confirmation, log out only, default mode.
    {"org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface", "logout",
     [] { return g_variant_new("(iii)", 0, 0, 0); }},
    // Xfce: no dialog, let applications save their state.
    {"org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", "Logout",
     [] { return g_variant_new("(bb)", FALSE, TRUE); }},
};

} // namespace

std::string SessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        std::string socket = std::string(runtime) + "/bus";
        struct stat st {};
        // Without GIO there is no bus to talk to; the command that asked says why.
        const GioFunctions* gio = Gio();
        if (gio != nullptr && stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
            gchar* escaped = gio->g_dbus_address_escape_value(socket.c_str());
            std::string result = std::string("unix:path=") + escaped;
            g_free(escaped);
            return result;
        }
    }
    return {};
}

std::string SystemBusAddress() {
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (address && *address)
        return address;
    return "unix:path=/var/run/dbus/system_bus_socket";
}

bool LogOut(const std::string& sessionBus, const SessionEndTimeouts& timeouts, std::string& error) {
    const GioFunctions* gio = Gio(error);
    if (gio == nullptr)
        return false;
    PrivateContext context;
    Connection connection(*gio, Connect(*gio, context, sessionBus, timeouts.call, error));
    if (!connection.Get())
        return false;
    for (const SessionManager& manager : kSessionManagers) {
        std::string ownerError;
        if (!NameHasOwner(*gio, connection.Get(), manager.name, timeouts.call, ownerError)) {
            if (!ownerError.empty()) {
                error = ownerError;
                return false;
            }
            continue;
        }
        GVariant* reply = Call(*gio, connection.Get(), manager.name, manager.path,
                               manager.interface, manager.method, manager.arguments(), nullptr,
                               G_DBUS_CALL_FLAGS_NO_AUTO_START, timeouts.call, error);
        if (!reply)
            return false;
        g_variant_unref(reply);
        return true;
    }
    error = "no session manager was found on the session bus";
    return false;
}

bool RequestPowerAction(PowerAction action, const std::string& systemBus,
                        const SessionEndTimeouts& timeouts, std::string& error) {
    const char* can = action == PowerAction::Reboot ? "CanReboot" : "CanPowerOff";
    const char* method = action == PowerAction::Reboot ? "Reboot" : "PowerOff";
    const char* name = "org.freedesktop.login1";
    const char* path = "/org/freedesktop/login1";
    const char* interface = "org.freedesktop.login1.Manager";

    const GioFunctions* gio = Gio(error);
    if (gio == nullptr)
        return false;
    PrivateContext context;
    Connection connection(*gio, Connect(*gio, context, systemBus, timeouts.call, error));
    if (!connection.Get())
        return false;

    // "yes": allowed; "challenge": allowed after authorisation; "no", "na": refused
    // without asking.
    GVariant* answer = Call(*gio, connection.Get(), name, path, interface, can, nullptr,
                            G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, timeouts.call, error);
    if (!answer)
        return false;
    const gchar* verdict = nullptr;
    g_variant_get(answer, "(&s)", &verdict);
    std::string permission = verdict ? verdict : "";
    g_variant_unref(answer);
    if (permission == "no" || permission == "na") {
        error = std::string(name) + " " + can + ": \"" + permission + "\" (not permitted)";
        return false;
    }
    std::chrono::milliseconds timeout =
        permission == "yes" ? timeouts.call : timeouts.authorisation;

    GVariant* reply =
        Call(*gio, connection.Get(), name, path, interface, method, g_variant_new("(b)", TRUE),
             nullptr, G_DBUS_CALL_FLAGS_ALLOW_INTERACTIVE_AUTHORIZATION, timeout, error);
    if (!reply)
        return false;
    g_variant_unref(reply);
    return true;
}

} // namespace tavolin::linuxdesktop
