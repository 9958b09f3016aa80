// Whether a profile is updated on a check, and what an outcome leaves
// behind. An update goes when the address or the settings differ from the
// last update the service accepted; a refusal (status 4) is not repeated
// for the same address and settings, so a wrong password does not hammer
// the service; a failed try (status 1 or 3) is repeated after a backoff
// that doubles from RetryPolicy::first up to RetryPolicy::max.
#pragma once

#include <string>

#include "host/watch/config.h"
#include "host/watch/state.h"

namespace host::watch {

enum class Action {
    Send,     // run the updater now
    Current,  // the service has this address with these settings
    Refused,  // the service refused exactly this before
    Waiting,  // a failed try waits for its retry time
};

// `entry` is null for a profile never run.
Action Decide(const ProfileState* entry, const std::string& address,
              const std::string& settings_hash, UnixTime now);

struct Outcome {
    int status = 0;
    std::string message;
};

// The retry delay after `failures` failed tries in a row, with
// `jitter` in [-1, 1] scaling the policy's jitter percentage.
std::chrono::seconds RetryDelay(const RetryPolicy& policy, int failures, double jitter);

// Records an outcome of an update of `address` with `settings_hash`.
void RecordOutcome(ProfileState& entry, const Outcome& outcome, const std::string& address,
                   const std::string& settings_hash, UnixTime now, const RetryPolicy& policy,
                   double jitter);

// Status codes as words, for logs and `vantrel status`.
const char* StatusMeaning(int status);

}  // namespace host::watch
