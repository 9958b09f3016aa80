// Finding the address in what a source answers: a check page, a file or a
// command's output.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host::watch {

// The first dotted IPv4 address in the text: a run of digits and dots that
// is exactly four decimal parts of 0 to 255 (a sentence's full stop after
// it is allowed). Leading zeros are refused, since some readers take them
// as octal. nullopt when there is none.
std::optional<std::string> FirstIpv4(std::string_view text);

}  // namespace host::watch
