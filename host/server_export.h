// vantrel register and unregister: one export of the module run against
// the chosen hive.
#pragma once

namespace host {

// Loads the module and calls the named export (DllRegisterServer or
// DllUnregisterServer) against the chosen hive.
int RunServerExport(int argc, char** argv, const char* export_name, const char* done_verb,
                    const char* help);

}  // namespace host
