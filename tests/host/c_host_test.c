/* A host written in C: registers the module into a scratch hive, creates an
 * updater by ProgID through the platform and calls it through its vtable.
 * Usage: c_host_test MODULE_PATH. Exit code 0 when every check holds. */
#define _POSIX_C_SOURCE 200809L /* mkdtemp */

#include <platform/com.h>
#include <platform/module.h>
#include <platform/registry.h>
#include <vantrel/vantrel.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <uchar.h>
#include <unistd.h>

static int failures = 0;

#define CHECK(condition)                                                    \
    do {                                                                    \
        if (!(condition)) {                                                 \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                     \
        }                                                                   \
    } while (0)

static HRESULT CallExport(HMODULE module, const char* name) {
    VantrelDllRegisterServerFn run = (VantrelDllRegisterServerFn)GetProcAddress(module, name);
    return run != NULL ? run() : E_FAIL;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: c_host_test MODULE_PATH\n");
        return 2;
    }
    char folder[] = "/tmp/vantrel-c-host-XXXXXX";
    if (mkdtemp(folder) == NULL) {
        perror("mkdtemp");
        return 1;
    }
    char hive[sizeof folder + 16];
    snprintf(hive, sizeof hive, "%s/hive.reg", folder);
    CHECK(VtRegistrySetHiveFile(hive) == ERROR_SUCCESS);

    HMODULE module = LoadLibraryExA(argv[1], NULL, 0);
    CHECK(module != NULL);
    if (module != NULL) {
        CHECK(CallExport(module, "DllRegisterServer") == S_OK);
    }

    CHECK(SUCCEEDED(CoInitialize(NULL)));
    CLSID clsid;
    CHECK(CLSIDFromProgID((LPCOLESTR)u"Vantrel.DipDNSObj", &clsid) == S_OK);
    IIPUpdate* updater = NULL;
    CHECK(CoCreateInstance(&clsid, NULL, CLSCTX_INPROC_SERVER, &IID_IIPUpdate, (void**)&updater) ==
          S_OK);
    if (updater != NULL) {
        LONG id = 0;
        SHORT status = 0;
        CHECK(updater->lpVtbl->GetID(updater, &id) == S_OK);
        CHECK(id == VANTREL_ID_DIPDNS);
        CHECK(updater->lpVtbl->GetErrorStatus(updater, &status) == S_OK);
        CHECK(status == VANTREL_STATUS_NO_OUTCOME);
        CHECK(updater->lpVtbl->Release(updater) == 0);
    }
    CoUninitialize();

    if (module != NULL) {
        CHECK(CallExport(module, "DllUnregisterServer") == S_OK);
        FreeLibrary(module);
    }
    /* The hive is all a registration leaves: no lock or temporary files. */
    CHECK(unlink(hive) == 0);
    CHECK(rmdir(folder) == 0);
    return failures == 0 ? 0 : 1;
}
