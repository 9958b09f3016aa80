// vantrel register: writes the module's classes and type library into the hive.
#include "host/server_export.h"

int CmdRegister(int argc, char** argv) {
    return host::RunServerExport(
        argc, argv, "DllRegisterServer", "registered",
        "usage: vantrel register [--registry FILE] [--module PATH]\n\n"
        "Registers the module's classes and type library into the registry hive\n"
        "(default: $VANTREL_REGISTRY, else ~/.local/share/vantrel/registry.reg).\n"
        "The module defaults to the one installed beside vantrel.\n");
}
