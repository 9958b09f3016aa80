// vantrel unregister: removes the module's classes and type library from the hive.
#include "host/server_export.h"

int CmdUnregister(int argc, char** argv) {
    return host::RunServerExport(
        argc, argv, "DllUnregisterServer", "unregistered",
        "usage: vantrel unregister [--registry FILE] [--module PATH]\n\n"
        "Removes the module's classes and type library from the registry hive;\n"
        "the shared \"CLSID\" key stays.\n");
}
