#include "host/options.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace host {

namespace {

// Takes "--name VALUE" or "--name=VALUE"; false when the value is missing.
bool TakeValue(int argc, char** argv, int& i, const char* name, std::string& value, bool& matched) {
    size_t length = std::strlen(name);
    matched = false;
    if (std::strncmp(argv[i], name, length) != 0) {
        return true;
    }
    if (argv[i][length] == '=') {
        matched = true;
        value = argv[i] + length + 1;
        return !value.empty();
    }
    if (argv[i][length] != '\0') {
        return true;
    }
    matched = true;
    if (i + 1 >= argc) {
        return false;
    }
    value = argv[++i];
    return true;
}

}  // namespace

Parse ParseOptions(int argc, char** argv, Options& options, std::string* rest) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return Parse::Help;
        }
        bool matched = false;
        if (!TakeValue(argc, argv, i, "--registry", options.registry, matched)) {
            Fail(argv[0], "--registry needs a file");
            return Parse::Usage;
        }
        if (matched) {
            continue;
        }
        if (!TakeValue(argc, argv, i, "--module", options.module, matched)) {
            Fail(argv[0], "--module needs a path");
            return Parse::Usage;
        }
        if (matched) {
            continue;
        }
        if (rest == nullptr || argv[i][0] == '-' || !rest->empty()) {
            Fail(argv[0], "unexpected argument '%s' (see --help)", argv[i]);
            return Parse::Usage;
        }
        *rest = argv[i];
    }
    return Parse::Ok;
}

ArgumentError NextArgument(int argc, char** argv, int& i,
                           const std::function<bool(std::string_view)>& takes_value,
                           Argument& argument) {
    argument.name = argv[i];
    argument.value.clear();
    const size_t equals = argument.name.find('=');
    const bool inline_value = argument.name.rfind("--", 0) == 0 && equals != std::string::npos;
    if (inline_value) {
        argument.value = argument.name.substr(equals + 1);
        argument.name.resize(equals);
    }
    if (!takes_value(argument.name)) {
        return inline_value ? ArgumentError::UnexpectedValue : ArgumentError::None;
    }
    if (!inline_value) {
        if (i + 1 >= argc) {
            return ArgumentError::MissingValue;
        }
        argument.value = argv[++i];
    }
    return ArgumentError::None;
}

std::optional<int> ParseCommandLine(int argc, char** argv, Options& options, const char* help) {
    switch (ParseOptions(argc, argv, options)) {
        case Parse::Help:
            std::fputs(help, stdout);
            return kExitOk;
        case Parse::Usage:
            return kExitUsage;
        case Parse::Ok:
            break;
    }
    return std::nullopt;
}

void Fail(const char* command, const char* format, ...) {
    std::fprintf(stderr, "vantrel %s: ", command);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

std::string DescribeArgumentError(ArgumentError error, const Argument& argument) {
    switch (error) {
        case ArgumentError::MissingValue:
            return "a value is needed after " + argument.name;
        case ArgumentError::UnexpectedValue:
            return "unknown option: " + argument.name;
        case ArgumentError::None:
            break;
    }
    return "";
}

}  // namespace host
