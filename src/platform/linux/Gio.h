#pragma once

#include "platform/linux/GioLibrary.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace tavolin::linuxdesktop {

// Every GIO and GObject function the platform calls, each typed from GIO's own declaration,
// so a call through the table is checked as a direct call would be. One list makes both the
// members and the lookups, so a function cannot be declared and left unresolved. GIO's
// macros that expand to calls into it (G_IO_ERROR, the type checks and casts, G_TYPE_*) are
// not used: see IsIoError (SystemErrors.h), and plain casts between the interface types.
#define TAVOLIN_GIO_FUNCTIONS(X)                                                                   \
    X(g_object_unref)                                                                              \
    X(g_app_info_get_default_for_type)                                                             \
    X(g_app_info_get_default_for_uri_scheme)                                                       \
    X(g_app_info_launch_uris)                                                                      \
    X(g_app_launch_context_new)                                                                    \
    X(g_content_type_guess)                                                                        \
    X(g_desktop_app_info_new_from_filename)                                                        \
    X(g_file_new_for_commandline_arg_and_cwd)                                                      \
    X(g_file_new_for_path)                                                                         \
    X(g_file_get_uri)                                                                              \
    X(g_file_trash)                                                                                \
    X(g_cancellable_new)                                                                           \
    X(g_cancellable_cancel)                                                                        \
    X(g_dbus_address_escape_value)                                                                 \
    X(g_dbus_connection_new_for_address)                                                           \
    X(g_dbus_connection_new_for_address_finish)                                                    \
    X(g_dbus_connection_new_for_address_sync)                                                      \
    X(g_dbus_connection_call_sync)                                                                 \
    X(g_dbus_connection_close_sync)                                                                \
    X(g_vfs_get_default)                                                                           \
    X(g_vfs_get_supported_uri_schemes)

struct GioFunctions {
#define TAVOLIN_GIO_MEMBER(name) decltype(&::name) name = nullptr;
    TAVOLIN_GIO_FUNCTIONS(TAVOLIN_GIO_MEMBER)
#undef TAVOLIN_GIO_MEMBER
};

// GIO's functions, loaded on the first call; null when the library cannot be loaded, with
// `whyNot` set as by LoadGio. A table once returned stays valid for the whole process.
const GioFunctions* Gio(std::string& whyNot);
// The same where the reason is not shown.
const GioFunctions* Gio();

} // namespace tavolin::linuxdesktop
