// Component-object support shared by every class of the module: the module
// lock count, a ComPtr, and the plain and aggregated object wrappers.
//
// A class is written as an abstract base implementing its interfaces except
// IUnknown, plus `void* FindInterface(REFIID)` that answers its QueryInterface
// map (no AddRef). ComObject<T> and AggregatedObject<T> add the IUnknown
// behaviour; CreateObject<T> is the creation function of the class table.
#pragma once

#include <platform/com.h>

#include "text/error.h"

#include <atomic>
#include <new>
#include <utility>

namespace vantrel {

// One count for the whole module: live objects and server locks.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}  // NOLINT
    ComPtr(const ComPtr& other) : m_ptr(other.m_ptr) { AddRefIfSet(); }
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(T* ptr) {
        ComPtr result;
        result.m_ptr = ptr;
        return result;
    }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** Put() {
        Reset();
        return &m_ptr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Detach() { return std::exchange(m_ptr, nullptr); }
    void Reset() {
        if (T* old = std::exchange(m_ptr, nullptr)) {
            old->Release();
        }
    }

private:
    void AddRefIfSet() {
        if (m_ptr != nullptr) {
            m_ptr->AddRef();
        }
    }
    T* m_ptr = nullptr;
};

// Holds one module lock for as long as it lives.
class ModuleLockHolder {
public:
    ModuleLockHolder() { LockModule(); }
    ~ModuleLockHolder() { UnlockModule(); }
    ModuleLockHolder(const ModuleLockHolder&) = delete;
    ModuleLockHolder& operator=(const ModuleLockHolder&) = delete;
};

// Null-checked QueryInterface over a class's FindInterface map: the out
// pointer is cleared first, and what is handed out is AddRef'd through the
// interface itself (so an aggregated object counts it on the outer object).
template <typename T>
HRESULT QueryFromMap(T& object, REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    void* found = object.FindInterface(riid);
    if (found == nullptr) {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(found)->AddRef();
    *ppv = found;
    return S_OK;
}

// A stand-alone object: its own reference count.
template <typename T>
class ComObject final : public T {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QueryFromMap(static_cast<T&>(*this), riid, ppv);
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    std::atomic<ULONG> m_refs{0};
    ModuleLockHolder m_lock;
};

// An object inside an outer one: its interfaces delegate IUnknown to the
// outer object, and the outer holds the inner's non-delegating IUnknown,
// which alone owns the object's life.
template <typename T>
class AggregatedObject final : public T {
public:
    explicit AggregatedObject(IUnknown* outer) : m_outer(outer), m_inner(*this) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return m_outer->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return m_outer->AddRef(); }
    ULONG Release() override { return m_outer->Release(); }

    IUnknown* Inner() { return &m_inner; }

private:
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(AggregatedObject& owner) : m_owner(owner) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override {
            if (ppv != nullptr && IsEqualGUID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            return QueryFromMap(static_cast<T&>(m_owner), riid, ppv);
        }
        ULONG AddRef() override { return ++m_refs; }
        ULONG Release() override {
            ULONG left = --m_refs;
            if (left == 0) {
                delete &m_owner;
            }
            return left;
        }

    private:
        AggregatedObject& m_owner;
        std::atomic<ULONG> m_refs{0};
    };

    IUnknown* m_outer;
    InnerUnknown m_inner;
    ModuleLockHolder m_lock;
};

enum class Aggregation { Refused, Allowed };

// Creation function of the class table. With an outer object only the
// IUnknown of an aggregatable class may be asked for (COM's aggregation
// rule); a failed QueryInterface destroys the new object.
template <typename T, Aggregation kAggregation>
HRESULT CreateObject(IUnknown* outer, REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    try {
        if (outer == nullptr) {
            auto* object = new ComObject<T>();
            object->AddRef();
            HRESULT hr = object->QueryInterface(riid, ppv);
            object->Release();
            return hr;
        }
        if (kAggregation == Aggregation::Refused || !IsEqualGUID(riid, IID_IUnknown)) {
            return CLASS_E_NOAGGREGATION;
        }
        if constexpr (kAggregation == Aggregation::Allowed) {
            auto* object = new AggregatedObject<T>(outer);
            IUnknown* inner = object->Inner();
            inner->AddRef();
            *ppv = inner;
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace vantrel

namespace vantrel {

// IDispatch::GetTypeInfoCount and GetTypeInfo of objects that give no type
// information: count 0, and no index is valid. The platform has no ITypeInfo
// to build from the registered type library; views dispatch by name instead.
inline HRESULT NoTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

inline HRESULT NoTypeInfo(ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    return DISP_E_BADINDEX;
}

// The start of IDispatch::GetIDsOfNames: pointers checked, then every id
// DISPID_UNKNOWN until a name is found.
inline HRESULT UnknownIdsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    if (names == nullptr || ids == nullptr) {
        return E_POINTER;
    }
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    return S_OK;
}

// Runs the body of an interface method; no exception leaves it.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const HResultError& error) {
        return error.Code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace vantrel
