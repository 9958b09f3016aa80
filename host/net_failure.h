// Why a request failed, from the platform's record of the last network
// failure: the module itself logs nothing.
#pragma once

#include <string>

namespace host {

// Forgets earlier failures; call before the request to explain.
void ForgetNetFailure();

// "connection refused by 127.0.0.1:9"; empty when nothing failed.
std::string NetFailureReason();

}  // namespace host
