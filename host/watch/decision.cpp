#include "host/watch/decision.h"

#include <vantrel/vantrel.h>

#include <algorithm>
#include <cmath>

namespace host::watch {

Action Decide(const ProfileState* entry, const std::string& address,
              const std::string& settings_hash, UnixTime now) {
    if (entry == nullptr) {
        return Action::Send;
    }
    if (entry->accepted_address == address && entry->accepted_settings_hash == settings_hash) {
        return Action::Current;
    }
    const bool same_try = entry->address == address && entry->settings_hash == settings_hash;
    if (!same_try) {
        return Action::Send;
    }
    if (entry->status == VANTREL_STATUS_SERVICE_ERROR) {
        return Action::Refused;
    }
    if (entry->status == VANTREL_STATUS_ACCEPTED || entry->failures == 0) {
        return Action::Send;
    }
    return now >= entry->retry_at ? Action::Send : Action::Waiting;
}

std::chrono::seconds RetryDelay(const RetryPolicy& policy, int failures, double jitter) {
    const double cap = static_cast<double>(policy.max.count());
    // Past 2^30 the cap has long been reached; keeps the shift defined.
    const int doublings = std::clamp(failures - 1, 0, 30);
    double delay = std::min(cap, static_cast<double>(policy.first.count()) *
                                     static_cast<double>(1LL << doublings));
    delay *= 1.0 + std::clamp(jitter, -1.0, 1.0) * policy.jitter_percent / 100.0;
    return std::chrono::seconds(static_cast<long long>(std::llround(std::clamp(delay, 1.0, cap))));
}

void RecordOutcome(ProfileState& entry, const Outcome& outcome, const std::string& address,
                   const std::string& settings_hash, UnixTime now, const RetryPolicy& policy,
                   double jitter) {
    const bool same_try = entry.address == address && entry.settings_hash == settings_hash;
    const int earlier_failures = same_try ? entry.failures : 0;
    entry.address = address;
    entry.settings_hash = settings_hash;
    entry.status = outcome.status;
    entry.message = outcome.message;
    entry.time = now;
    entry.failures = 0;
    entry.retry_at = 0;
    if (outcome.status == VANTREL_STATUS_ACCEPTED) {
        entry.accepted_address = address;
        entry.accepted_settings_hash = settings_hash;
    } else if (outcome.status != VANTREL_STATUS_SERVICE_ERROR) {
        // Any status but 2 and 4 is a try that may go better later.
        entry.failures = earlier_failures + 1;
        entry.retry_at = now + RetryDelay(policy, entry.failures, jitter).count();
    }
}

const char* StatusMeaning(int status) {
    switch (status) {
        case VANTREL_STATUS_NO_OUTCOME:
            return "no definite outcome";
        case VANTREL_STATUS_ACCEPTED:
            return "update accepted";
        case VANTREL_STATUS_NOT_DONE:
            return "update not carried out";
        case VANTREL_STATUS_SERVICE_ERROR:
            return "the service reported an error";
        default:
            return "unknown status";
    }
}

}  // namespace host::watch
