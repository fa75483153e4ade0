#pragma once

#include <glib.h>

#include <memory>
#include <string>

namespace tavolin::linuxdesktop {

// Drops a reference to a GObject through the loaded GIO (an object exists only once it is).
void UnrefGObject(void* object);

// Owning pointers for GLib objects, strings and errors, so that every early return frees
// what it holds.
struct GObjectUnref {
    void operator()(void* object) const {
        if (object != nullptr) {
            UnrefGObject(object);
        }
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
    void operator()(void* memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<char, GFree>;

struct GErrorFree {
    void operator()(GError* error) const {
        if (error != nullptr) {
            g_error_free(error);
        }
    }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GKeyFileFree {
    void operator()(GKeyFile* file) const {
        if (file != nullptr) {
            g_key_file_free(file);
        }
    }
};
using GKeyFilePtr = std::unique_ptr<GKeyFile, GKeyFileFree>;

struct GVariantUnref {
    void operator()(GVariant* value) const {
        if (value != nullptr) {
            g_variant_unref(value);
        }
    }
};
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

// Collects a GError out-parameter: `Call(..., error.Out())`.
class ErrorSlot {
public:
    GError** Out() { return &m_error; }
    ~ErrorSlot() {
        if (m_error != nullptr) {
            g_error_free(m_error);
        }
    }
    const GError* Get() const { return m_error; }
    std::string Message() const { return m_error != nullptr ? m_error->message : "unknown error"; }

    ErrorSlot() = default;
    ErrorSlot(const ErrorSlot&) = delete;
    ErrorSlot& operator=(const ErrorSlot&) = delete;

private:
    GError* m_error = nullptr;
};

} // namespace tavolin::linuxdesktop
