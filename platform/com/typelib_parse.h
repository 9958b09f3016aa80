// The type-library text carried as resource "TYPELIB" 1; grammar in
// <platform/typelib.h>. Pure: text in, description out.
#pragma once

#include <platform/com.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtplatform::typelib {

enum class InterfaceKind { kDual, kOleAutomation, kPlain };

struct Method {
    DISPID id;
    std::string name;
    std::string help;
};

struct Interface {
    std::string name;
    IID iid;
    InterfaceKind kind;
    std::string help;
    std::vector<Method> methods;
};

struct CoClass {
    std::string name;
    CLSID clsid;
    std::string help;
    std::string default_interface;
};

struct Library {
    std::string name;
    GUID libid;
    WORD major;
    WORD minor;
    std::string help;
    std::vector<Interface> interfaces;
    std::vector<CoClass> coclasses;
};

// nullopt for any line that does not follow the grammar.
std::optional<Library> ParseTypeLibrary(std::string_view text);

}  // namespace vtplatform::typelib
