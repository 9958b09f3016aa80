// What the host's commands share: exit codes and the command entry points.
#pragma once

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Each command is `int Cmd<Name>(int argc, char** argv)` in host/cmd_<name>.cpp,
// with argv[0] the command's own name; main.cpp lists them.
