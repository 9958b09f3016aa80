// The first words of the DyFi and EuroDynDns replies, one line per host
// name, and the status each stands for, in the order they are compared.
#pragma once

#include <vantrel/vantrel.h>

#include "providers/http/reply_parsers.h"

namespace vantrel {

inline constexpr ReplyCode kDyFiReplyCodes[] = {
    {"good", VANTREL_STATUS_ACCEPTED},         {"nochg", VANTREL_STATUS_ACCEPTED},
    {"badauth", VANTREL_STATUS_SERVICE_ERROR}, {"notfqdn", VANTREL_STATUS_SERVICE_ERROR},
    {"nohost", VANTREL_STATUS_SERVICE_ERROR},  {"abuse", VANTREL_STATUS_SERVICE_ERROR},
    {"badip", VANTREL_STATUS_SERVICE_ERROR},   {"dnserr", VANTREL_STATUS_SERVICE_ERROR},
};

inline constexpr ReplyCode kEuroDynDnsReplyCodes[] = {
    {"good", VANTREL_STATUS_ACCEPTED},         {"nochg", VANTREL_STATUS_ACCEPTED},
    {"badsys", VANTREL_STATUS_SERVICE_ERROR},  {"badagent", VANTREL_STATUS_SERVICE_ERROR},
    {"badauth", VANTREL_STATUS_SERVICE_ERROR}, {"!donator", VANTREL_STATUS_SERVICE_ERROR},
    {"notfqdn", VANTREL_STATUS_SERVICE_ERROR}, {"nohost", VANTREL_STATUS_SERVICE_ERROR},
    {"!yours", VANTREL_STATUS_SERVICE_ERROR},  {"abuse", VANTREL_STATUS_SERVICE_ERROR},
    {"numhost", VANTREL_STATUS_SERVICE_ERROR}, {"dnserr", VANTREL_STATUS_SERVICE_ERROR},
    {"911", VANTREL_STATUS_SERVICE_ERROR},
};

}  // namespace vantrel
