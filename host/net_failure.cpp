#include "host/net_failure.h"

#include <platform/winsock.h>

namespace host {

void ForgetNetFailure() {
    VtNetClearLastFailure();
}

std::string NetFailureReason() {
    VtNetFailure failure{};
    VtNetGetLastFailure(&failure);
    const std::string peer = failure.peer;
    const std::string code = " (Winsock error " + std::to_string(failure.error) + ")";
    if (failure.error == 0) {
        return "";
    }
    if (failure.operation == VT_NET_RESOLVE) {
        switch (failure.error) {
            case WSAHOST_NOT_FOUND:
            case WSANO_DATA:
                return "no address found for " + peer;
            case WSATRY_AGAIN:
                return "no answer from the name server for " + peer;
            default:
                return "cannot look up " + peer + code;
        }
    }
    switch (failure.error) {
        case WSAECONNREFUSED:
            return "connection refused by " + peer;
        case WSAECONNRESET:
            return "connection reset by " + peer;
        case WSAECONNABORTED:
            return "connection aborted by " + peer;
        case WSAEHOSTUNREACH:
        case WSAENETUNREACH:
            return peer + " is unreachable";
        case WSAETIMEDOUT:
            return failure.operation == VT_NET_CONNECT
                       ? "no connection to " + peer + " within the time-out"
                       : peer + " did not answer within the time-out";
        default:
            break;
    }
    const char* what = failure.operation == VT_NET_CONNECT ? "connecting to "
                       : failure.operation == VT_NET_SEND  ? "sending to "
                                                           : "receiving from ";
    return what + peer + " failed" + code;
}

}  // namespace host
