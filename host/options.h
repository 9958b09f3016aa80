// The command line the host's commands share: the --registry and --module
// options, --help, and the one-line error on stderr.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/commands.h"

namespace host {

struct Options {
    std::string registry;  // empty: the platform's default hive
    std::string module;    // empty: the module beside the host
};

enum class Parse { Ok, Help, Usage };

// Reads the options the commands share ("--registry FILE", "--module PATH"
// or their "=" forms) and "--help". Anything else is a usage error unless
// the command takes positional arguments, which land in `rest`.
Parse ParseOptions(int argc, char** argv, Options& options, std::string* rest = nullptr);

// ParseOptions for a command: prints help and gives kExitOk on --help,
// gives kExitUsage on a usage error, nullopt when the command goes on.
std::optional<int> ParseCommandLine(int argc, char** argv, Options& options, const char* help);

// One word of a command line: "--name VALUE", "--name=VALUE" or a flag.
struct Argument {
    std::string name;
    std::string value;
};
enum class ArgumentError { None, MissingValue, UnexpectedValue };

// Reads argv[i], and the word after it when takes_value says the option
// takes one, leaving i on the last word read. An "=" value given to an
// option that takes none is UnexpectedValue.
ArgumentError NextArgument(int argc, char** argv, int& i,
                           const std::function<bool(std::string_view)>& takes_value,
                           Argument& argument);
// The usage problem an error stands for, as the commands print it.
std::string DescribeArgumentError(ArgumentError error, const Argument& argument);

// Prints "vantrel <command>: <message>" on stderr.
void Fail(const char* command, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace host
