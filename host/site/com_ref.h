// A counted interface pointer for the host side, which does not share the
// module's internals.
#pragma once

#include <platform/com.h>

#include <utility>

namespace host {

template <typename T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef& other) : m_ptr(other.m_ptr) {
        if (m_ptr != nullptr) {
            m_ptr->AddRef();
        }
    }
    ComRef(ComRef&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ~ComRef() { Reset(); }
    ComRef& operator=(ComRef other) noexcept {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComRef Adopt(T* ptr) {
        ComRef result;
        result.m_ptr = ptr;
        return result;
    }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    void** Put() {
        Reset();
        return reinterpret_cast<void**>(&m_ptr);
    }
    void Reset() {
        if (T* old = std::exchange(m_ptr, nullptr)) {
            old->Release();
        }
    }

private:
    T* m_ptr = nullptr;
};

}  // namespace host
