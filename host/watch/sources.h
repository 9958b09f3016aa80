// Reading the machine's address from the configured source. Every source
// is bounded: the url and command sources by the configured time-out, the
// file and interface sources by being local.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "host/watch/config.h"

namespace host::watch {

// The most of an answer that is looked at: a check page or a command's
// output is a line, not a download.
constexpr size_t kMaxAnswerBytes = 64 * 1024;

struct AddressResult {
    std::optional<std::string> address;
    std::string error;  // why there is none
};

// Call once before the first url fetch, while the process has one thread.
bool StartUrlSource();

AddressResult FetchAddress(const Source& source, std::chrono::seconds timeout);

// The source as a log shows it: a URL without its user and password.
std::string DescribeSource(const Source& source);

}  // namespace host::watch
