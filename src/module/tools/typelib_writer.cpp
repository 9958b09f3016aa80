// Build-time tool: writes the module's type library, in the platform's
// text form (platform/typelib.h), from the class identities, so the GUIDs
// live in one place.
//
//   typelib_writer OUTPUT
#include <vantrel/vantrel.h>

#include <cstdio>
#include <fstream>

#include "contract/class_ids.h"
#include "contract/guid_text.h"

namespace {

using vantrel::GuidText;

const char* const kUpdateMethods[] = {"GetID",   "GetErrorMessage", "GetErrorStatus", "SetProxy",
                                      "SetData", "DoEntryPoint",    "InitData"};
const char* const kViewMethods[] = {"GetDisplayName", "NeedConfiguration", "GetID",     "GetData",
                                    "SetData",        "GetTimeInterval",   "GetOrgSize"};

template <size_t N>
void WriteMethods(std::ostream& out, const char* const (&methods)[N]) {
    for (size_t i = 0; i < N; ++i) {
        out << "method " << i + 1 << ' ' << methods[i] << " \"method " << methods[i] << "\"\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: typelib_writer OUTPUT\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::trunc);
    out << "library VantrelLib " << GuidText(LIBID_VantrelLib)
        << " 1.0 \"Vantrel 1.0 Type Library\"\n";
    // IIPUpdate is neither dual nor for automation: no marshalling entry.
    out << "interface IIPUpdate " << GuidText(IID_IIPUpdate) << " plain \"IIPUpdate Interface\"\n";
    WriteMethods(out, kUpdateMethods);
    out << "interface IGView " << GuidText(IID_IGView) << " dual \"IGView Interface\"\n";
    WriteMethods(out, kViewMethods);
    for (const vantrel::ClassIdentity* identity : vantrel::kClassIdentities) {
        out << "interface I" << identity->name << ' ' << GuidText(identity->own_iid) << " dual \"I"
            << identity->name << " Interface\"\n";
    }
    for (const vantrel::ClassIdentity* identity : vantrel::kClassIdentities) {
        out << "coclass " << identity->name << ' ' << GuidText(identity->clsid) << " \""
            << identity->name << " Class\" default I" << identity->name << '\n';
    }
    if (!out.flush()) {
        std::fprintf(stderr, "typelib_writer: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
