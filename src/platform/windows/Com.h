#pragma once

#include <objbase.h>

#include <utility>

namespace tavolin::windesktop {

// COM on the calling thread for the duration of one operation. The user-interface thread has
// COM already (Qt's drag and drop); a thread without it gets a single-threaded apartment for
// as long as this object lives.
class ComScope {
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // False only when COM cannot be used on this thread at all.
    bool Usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

// An owned interface pointer, released when it goes.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For the calls that hand out an interface.
    T** Out() {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    void Reset() {
        if (m_p != nullptr)
            std::exchange(m_p, nullptr)->Release();
    }

private:
    T* m_p = nullptr;
};

} // namespace tavolin::windesktop
