#include "platform/linux/Gio.h"

#include "platform/linux/GLibPtr.h"

#include <dlfcn.h>

#include <mutex>
#include <string>
#include <type_traits>

namespace tavolin::linuxdesktop {

namespace {

struct GioState {
    std::mutex mutex;
    std::string file = kGioLibraryFile;
    bool tried = false;
    bool loaded = false;
    std::string whyNot;
    GioFunctions functions;
};

GioState& State() {
    static GioState state;
    return state;
}

std::string CannotLoad(const std::string& file, const char* detail) {
    return "GIO (" + file + ") could not be loaded: " + (detail ? detail : "unknown error");
}

// Opens the library and resolves every function, or leaves `state` without functions and
// says why. Called with the state locked.
void Load(GioState& state) {
    state.tried = true;
    state.loaded = false;
    // Local: the symbols serve this table only and never override another library's.
    void* library = dlopen(state.file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        state.whyNot = CannotLoad(state.file, dlerror());
        return;
    }
    GioFunctions functions;
    std::string missing;
    const auto resolve = [&](const char* name, auto& function) {
        void* symbol = dlsym(library, name);
        if (symbol == nullptr && missing.empty())
            missing = name;
        // POSIX guarantees that dlsym's object pointer converts to a function pointer.
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(symbol);
    };
#define TAVOLIN_GIO_RESOLVE(name) resolve(#name, functions.name);
    TAVOLIN_GIO_FUNCTIONS(TAVOLIN_GIO_RESOLVE)
#undef TAVOLIN_GIO_RESOLVE
    if (!missing.empty()) {
        // The library stays open: unloading GIO or GObject once loaded is not supported.
        state.whyNot = CannotLoad(state.file, (missing + " is missing").c_str());
        return;
    }
    state.functions = functions;
    state.loaded = true;
    state.whyNot.clear();
}

} // namespace

const GioFunctions* Gio(std::string& whyNot) {
    GioState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.tried)
        Load(state);
    if (!state.loaded) {
        whyNot = state.whyNot;
        return nullptr;
    }
    return &state.functions;
}

const GioFunctions* Gio() {
    std::string ignored;
    return Gio(ignored);
}

bool LoadGio(std::string& whyNot) {
    return Gio(whyNot) != nullptr;
}

void UseGioLibraryFile(const std::string& file) {
    GioState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.file = file.empty() ? kGioLibraryFile : file;
    state.tried = false;
    // A failed load of the new file must not pull the table from under objects made with
    // the old one: `functions` is only ever overwritten by a complete, loaded table.
    state.loaded = false;
}

void UnrefGObject(void* object) {
    GioState& state = State();
    std::unique_lock<std::mutex> lock(state.mutex);
    const auto unref = state.functions.g_object_unref;
    lock.unlock();
    if (unref != nullptr)
        unref(object);
}

} // namespace tavolin::linuxdesktop
