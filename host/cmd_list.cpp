// vantrel list: one line per provider: ID, display name, view ProgID,
// updater ProgID.
//
// The display name is asked of the view in the module itself (found by
// --module or beside the host), not through the registry: the list works
// before registration and always describes the module that would be
// registered. The view's class ID comes from the module's type library.
#include <vantrel/vantrel.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "host/module_loading.h"
#include "host/providers.h"
#include "host/text_convert.h"

namespace {

// "coclass NAME {CLSID} ..." lines of the type library text.
std::map<std::string, CLSID> CoclassIds(std::string_view typelib) {
    std::map<std::string, CLSID> ids;
    std::istringstream lines{std::string(typelib)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string keyword, name, guid;
        CLSID clsid;
        if (fields >> keyword >> name >> guid && keyword == "coclass" &&
            SUCCEEDED(CLSIDFromString(host::Widen(guid).c_str(), &clsid))) {
            ids[name] = clsid;
        }
    }
    return ids;
}

std::string DisplayName(VantrelDllGetClassObjectFn get_class_object, const CLSID& clsid) {
    IClassFactory* factory = nullptr;
    if (FAILED(get_class_object(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return "?";
    }
    IGView* view = nullptr;
    HRESULT hr = factory->CreateInstance(nullptr, IID_IGView, reinterpret_cast<void**>(&view));
    factory->Release();
    if (FAILED(hr)) {
        return "?";
    }
    BSTR name = nullptr;
    std::string result = SUCCEEDED(view->GetDisplayName(&name)) ? host::Narrow(name) : "?";
    SysFreeString(name);
    view->Release();
    return result;
}

}  // namespace

constexpr const char* kHelp =
    "usage: vantrel list [--module PATH]\n\n"
    "One line per provider: ID, display name, view ProgID, updater ProgID.\n"
    "Display names are read from the module's views; nothing needs to be\n"
    "registered.\n";

int CmdList(int argc, char** argv) {
    host::Options options;
    if (auto exit_code = host::ParseCommandLine(argc, argv, options, kHelp)) {
        return *exit_code;
    }
    const std::string path = host::ModulePath(options);
    auto module = host::Module::Load(path, 0, argv[0]);
    if (!module) {
        return kExitFailure;
    }
    auto get_class_object =
        reinterpret_cast<VantrelDllGetClassObjectFn>(module->Proc("DllGetClassObject"));
    auto typelib = host::ResourceBytes(module->Get(), MAKEINTRESOURCEA(1), "TYPELIB");
    if (get_class_object == nullptr || !typelib) {
        host::Fail(argv[0], "%s is not a provider module", path.c_str());
        return kExitFailure;
    }
    const auto ids = CoclassIds(*typelib);
    for (const host::Provider& p : host::kProviders) {
        auto id = ids.find(p.view_class);
        std::string name = id == ids.end() ? "?" : DisplayName(get_class_object, id->second);
        std::printf("%2d  %-40s %-22s %s\n", static_cast<int>(p.id), name.c_str(), p.view_prog_id,
                    p.updater_prog_id);
    }
    return kExitOk;
}
