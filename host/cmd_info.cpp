// vantrel info: the module's path and its version record.
#include <cstdio>

#include "host/module_loading.h"

constexpr const char* kHelp =
    "usage: vantrel info [--module PATH]\n\n"
    "Shows the module's path and its version record.\n";

int CmdInfo(int argc, char** argv) {
    host::Options options;
    if (auto exit_code = host::ParseCommandLine(argc, argv, options, kHelp)) {
        return *exit_code;
    }
    const std::string path = host::ModulePath(options);
    // As a data file: the record is read without running the module.
    auto module = host::Module::Load(path, LOAD_LIBRARY_AS_DATAFILE, argv[0]);
    if (!module) {
        return kExitFailure;
    }
    auto record = host::ResourceBytes(module->Get(), MAKEINTRESOURCEA(1), RT_VERSION);
    if (!record) {
        host::Fail(argv[0], "%s has no version record", path.c_str());
        return kExitFailure;
    }
    std::printf("Module: %s\n", path.c_str());
    // Comment lines of the record are for its maintainers, not its readers.
    size_t start = 0;
    while (start < record->size()) {
        size_t end = record->find('\n', start);
        std::string_view line = record->substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line[0] != '#') {
            std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
        }
        start = end == std::string_view::npos ? record->size() : end + 1;
    }
    return kExitOk;
}
