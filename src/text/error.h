// Errors inside the module travel as exceptions carrying an HRESULT; every
// interface method catches them and returns the code.
#pragma once

#include <platform/com.h>

#include <exception>

namespace vantrel {

class HResultError : public std::exception {
public:
    explicit HResultError(HRESULT code) : m_code(code) {}
    HRESULT Code() const { return m_code; }
    const char* what() const noexcept override { return "HRESULT error"; }

private:
    HRESULT m_code;
};

[[noreturn]] inline void ThrowHResult(HRESULT code) { throw HResultError(code); }

}  // namespace vantrel
