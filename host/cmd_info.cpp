// vantrel info: the module's name, version and path; --verbose adds its
// whole version record.
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/module_loading.h"

constexpr const char* kHelp =
    "usage: vantrel info [--verbose] [--module PATH]\n\n"
    "Shows the module's name, version and path. --verbose adds its version\n"
    "record as the module carries it.\n";

namespace {

// Calls `line` for each line of the record but its comments, which are for
// its maintainers, not its readers.
template <typename Line>
void ForEachLine(std::string_view record, Line line) {
    while (!record.empty()) {
        size_t end = record.find('\n');
        std::string_view text = record.substr(0, end);
        if (!text.empty() && text[0] != '#') {
            line(text);
        }
        record.remove_prefix(end == std::string_view::npos ? record.size() : end + 1);
    }
}

struct Summary {
    std::string name = "-";
    std::string version = "-";
};

// The product's name from the string table and the file version from the
// fixed part: what a reader asks for first.
Summary Summarize(std::string_view record) {
    Summary summary;
    std::string_view section;
    ForEachLine(record, [&](std::string_view line) {
        if (line.front() == '[') {
            section = line;
            return;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return;
        }
        std::string_view key = line.substr(0, equals);
        std::string_view value = line.substr(equals + 1);
        if (section == "[VS_FIXEDFILEINFO]" && key == "FileVersion") {
            summary.version = value;
        } else if (section.starts_with("[StringFileInfo") && key == "ProductName") {
            summary.name = value;
        }
    });
    return summary;
}

}  // namespace

int CmdInfo(int argc, char** argv) {
    bool verbose = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    host::Options options;
    if (auto exit_code =
            host::ParseCommandLine(static_cast<int>(args.size()), args.data(), options, kHelp)) {
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
    const Summary summary = Summarize(*record);
    std::printf("name:    %s\nversion: %s\npath:    %s\n", summary.name.c_str(),
                summary.version.c_str(), path.c_str());
    if (verbose) {
        std::printf("\n");
        ForEachLine(*record, [](std::string_view line) {
            std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
        });
    }
    return kExitOk;
}
