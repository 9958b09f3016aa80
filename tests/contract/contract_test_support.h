// Helpers for the contract tests: creating a class of the table by name and
// owning BSTRs.
#pragma once

#include <gtest/gtest.h>
#include <vantrel/vantrel.h>

#include <string>

#include "contract/com_object.h"
#include "module/class_table.h"
#include "text/text.h"

namespace vantrel::test {

inline const ClassInfo& ClassNamed(const std::string& name) {
    for (const ClassInfo* info : ClassTable()) {
        if (name == info->identity.name) {
            return *info;
        }
    }
    ADD_FAILURE() << "no class " << name;
    return *ClassTable()[0];
}

template <typename T>
ComPtr<T> Create(const ClassInfo& info, REFIID riid) {
    ComPtr<T> object;
    EXPECT_EQ(info.create(nullptr, riid, object.PutVoid()), S_OK) << info.identity.name;
    return object;
}

// A BSTR freed at the end of scope.
class Bstr {
public:
    explicit Bstr(const char* text = nullptr) : m_text(text ? Text(text).ToBstr() : nullptr) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return m_text; }
    BSTR* Put() {
        SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }
    std::string Narrow() const { return std::string(Text(m_text).View()); }

private:
    BSTR m_text;
};

}  // namespace vantrel::test
