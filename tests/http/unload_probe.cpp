// A module holding the HTTP transport, loaded and unloaded by a test.
#include "http/event_socket.h"

extern "C" __attribute__((visibility("default"))) void ProbeMakeSocket() {
    vantrel::http::EventSocket socket;
}
