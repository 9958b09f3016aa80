// One DipDNS update against vantrel-lab, two ways: the module's updater
// (DoEntryPoint) and libcurl sending the same GET; and one LinuxRC update
// against the lab's GnuDIP server. The lab runs as a child process, so only
// the client's work is counted in this process.
#pragma once

#include "contract/com_object.h"
#include "text/text.h"

#include <vantrel/vantrel.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char** environ;

namespace vantrel::bench {

// vantrel-lab on 127.0.0.1 and a port of its choosing.
class LabProcess {
public:
    LabProcess() {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {VT_LAB_BINARY, "--accounts", VT_LAB_ACCOUNTS,
                              "--log",       "/dev/null",  nullptr};
        if (posix_spawn(&m_pid, VT_LAB_BINARY, &actions, nullptr, const_cast<char**>(argv),
                        environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        // The first line is "listening 127.0.0.1:PORT"; the read blocks
        // until the lab has bound its port (or has died: end of file).
        m_out = fdopen(out[0], "r");
        unsigned port = 0;
        unsigned gnudip_port = 0;
        if (m_out != nullptr &&
            std::fscanf(m_out, "listening 127.0.0.1:%u listening 127.0.0.1:%u gnudip", &port,
                        &gnudip_port) == 2) {
            m_port = static_cast<uint16_t>(port);
            m_gnudip_port = static_cast<uint16_t>(gnudip_port);
        }
    }
    ~LabProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out != nullptr) {
            std::fclose(m_out);
        }
    }
    LabProcess(const LabProcess&) = delete;
    LabProcess& operator=(const LabProcess&) = delete;

    uint16_t Port() const { return m_port; }
    uint16_t GnuDipPort() const { return m_gnudip_port; }

private:
    pid_t m_pid = -1;
    FILE* m_out = nullptr;
    uint16_t m_port = 0;
    uint16_t m_gnudip_port = 0;
};

inline const char kAddress[] = "198.51.100.21";

// The updater with one host of the lab's DipDNS account, its service name
// routed to the lab as `vantrel update --connect-to` does. In a file of its
// own, away from libcurl (see curl_update.h).
ComPtr<IIPUpdate> MakeDipDnsUpdater(uint16_t port);
// The updater with the lab's LinuxRC account, its fixed server routed to
// the lab's GnuDIP port.
ComPtr<IIPUpdate> MakeLinuxRcUpdater(uint16_t gnudip_port);

// True when the run was accepted.
inline bool RunOurUpdate(IIPUpdate* updater, BSTR address) {
    SHORT status = 0;
    return updater->DoEntryPoint(address) == S_OK && updater->GetErrorStatus(&status) == S_OK &&
           status == VANTREL_STATUS_ACCEPTED;
}

}  // namespace vantrel::bench
