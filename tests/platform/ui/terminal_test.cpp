// The terminal front end refuses what it cannot draw on; typing into a page
// in a real terminal is covered by the host's configure test.
#include "ui_test_support.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace vt::test {
namespace {

TEST(TerminalFrontEnd, RefusesSmallTerminalsAndNonTerminals) {
    setenv("TERM", "xterm", 1);
    Dialog dialog(kHostListPage);
    int master = -1;
    int slave = -1;
    winsize size{20, 70, 0, 0};
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &size), 0);
    int null_device = open("/dev/null", O_RDWR);
    const struct {
        int fd;
        const char* message;
    } cases[] = {
        {slave, "the terminal is 70 x 20; the page needs at least 80 x 24"},
        {null_device, "the page needs a terminal"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(VtRunTerminalFd(dialog.hwnd(), "DyFi", c.fd, c.fd), VT_TERMINAL_ERROR);
        EXPECT_NE(testing::internal::GetCapturedStderr().find(c.message), std::string::npos);
    }
    for (int fd : {master, slave, null_device}) {
        close(fd);
    }
}

}  // namespace
}  // namespace vt::test
