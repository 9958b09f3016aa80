// The terminal front end driven through a pseudo-terminal: keys in as
// bytes, the screen drained, the page's controls read back afterwards.
#include "ui_test_support.h"

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vt::test {
namespace {

// The host-list editor's Add: the edit's text goes into the sorted list.
INT_PTR HostListProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wparam) == 204 && HIWORD(wparam) == BN_CLICKED) {
        char text[256];
        if (GetDlgItemTextA(dialog, 201, text, sizeof text) > 0) {
            SendDlgItemMessageA(dialog, 206, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            SetDlgItemTextA(dialog, 201, "");
        }
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

struct Session {
    int result = -2;
    std::vector<std::string> hosts;
    std::string user;
};

class PseudoTerminal {
public:
    PseudoTerminal(unsigned short rows, unsigned short columns) {
        winsize size{rows, columns, 0, 0};
        m_ok = openpty(&m_master, &m_slave, nullptr, nullptr, &size) == 0;
    }
    ~PseudoTerminal() {
        if (m_ok) {
            close(m_master);
            close(m_slave);
        }
    }
    bool ok() const { return m_ok; }
    int slave() const { return m_slave; }

    // Runs the page in a thread of its own (windows belong to their thread),
    // writes the keys and drains the screen until the page returns.
    Session Run(const std::string& keys, std::string* screen) {
        Session session;
        std::atomic<bool> done{false};
        std::thread page([&] {
            DLGTEMPLATE* parsed = VtParseDialogTemplateA(kHostListPage, sizeof kHostListPage - 1);
            HWND dialog = CreateDialogIndirectParamA(nullptr, parsed, nullptr, HostListProc, 0);
            session.result = VtRunTerminalFd(dialog, "DyFi", m_slave, m_slave);
            session.hosts = ListItems(dialog, 206);
            char user[256];
            GetDlgItemTextA(dialog, 202, user, sizeof user);
            session.user = user;
            DestroyWindow(dialog);
            VtFreeDialogTemplate(parsed);
            done = true;
        });
        size_t written = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            pollfd descriptor{m_master, static_cast<short>(POLLIN | (written < keys.size() ? POLLOUT : 0)), 0};
            if (poll(&descriptor, 1, 100) <= 0) continue;
            if ((descriptor.revents & POLLIN) != 0) {
                char buffer[4096];
                ssize_t got = read(m_master, buffer, sizeof buffer);
                if (got > 0) screen->append(buffer, static_cast<size_t>(got));
            }
            if ((descriptor.revents & POLLOUT) != 0 && written < keys.size()) {
                // A key at a time, as typed; the page reads them in order.
                ssize_t put = write(m_master, keys.data() + written, 1);
                if (put > 0) written += static_cast<size_t>(put);
            }
        }
        if (!done) {
            // Ends the page: its input reaches end of file.
            close(m_slave);
            m_slave = -1;
        }
        page.join();
        return session;
    }

private:
    bool m_ok = false;
    int m_master = -1;
    int m_slave = -1;
};

TEST(TerminalFrontEnd, TypesAddsAndSavesThroughAPseudoTerminal) {
    setenv("TERM", "xterm", 1);
    PseudoTerminal terminal(24, 80);
    ASSERT_TRUE(terminal.ok());
    // Type a host, Tab to Add, Enter; back with Shift+Tab, type another,
    // Tab and Space; Tab past Delete and the list to the user name; F2.
    std::string keys = "b.example\t\r\x1b[Za.example\t \t\t\tuser\x1bOQ";
    std::string screen;
    Session session = terminal.Run(keys, &screen);
    EXPECT_EQ(session.result, VT_TERMINAL_SAVED);
    EXPECT_EQ(session.hosts, (std::vector<std::string>{"a.example", "b.example"}));
    EXPECT_EQ(session.user, "user");
    EXPECT_NE(screen.find("F2 or Ctrl+S save"), std::string::npos);
    EXPECT_NE(screen.find("cancel"), std::string::npos);
}

TEST(TerminalFrontEnd, EscCancelsAndSmallTerminalsAreRefused) {
    setenv("TERM", "xterm", 1);
    {
        PseudoTerminal terminal(24, 80);
        ASSERT_TRUE(terminal.ok());
        std::string screen;
        EXPECT_EQ(terminal.Run("x\x1b", &screen).result, VT_TERMINAL_CANCELLED);
    }
    PseudoTerminal small(20, 70);
    ASSERT_TRUE(small.ok());
    std::string screen;
    testing::internal::CaptureStderr();
    EXPECT_EQ(small.Run("", &screen).result, VT_TERMINAL_ERROR);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("at least 80 x 24"), std::string::npos);
}

}  // namespace
}  // namespace vt::test
