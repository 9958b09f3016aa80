// `vantrel configure` in a pseudo-terminal of 80 x 24: keys typed as a
// person types them, the screen read back through a small VT100 model,
// and the saved blob compared with the one `vantrel settings` writes.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Enough of a VT100 for what ncurses sends with TERM=vt100: text, cursor
// addressing and moves, erasing, and scrolling within a region.
class Screen {
public:
    Screen() : m_rows(kRows, std::string(kColumns, ' ')) {}

    void Feed(const std::string& bytes) {
        for (char c : bytes) Put(c);
    }
    const std::string& Row(int r) const { return m_rows[static_cast<size_t>(r)]; }
    int RowOf(const std::string& text) const {
        for (int r = 0; r < kRows; ++r) {
            if (Row(r).find(text) != std::string::npos) return r;
        }
        return -1;
    }

private:
    static constexpr int kRows = 24;
    static constexpr int kColumns = 80;

    void Put(char c) {
        if (m_state == State::Escape) return Escape(c);
        if (m_state == State::Skip) { m_state = State::Text; return; }
        if (m_state == State::Csi) return Csi(c);
        switch (c) {
            case '\x1b': m_state = State::Escape; return;
            case '\r': m_column = 0; return;
            case '\n': LineFeed(); return;
            case '\b': m_column = std::max(0, m_column - 1); return;
            case '\t': m_column = std::min(kColumns - 1, (m_column / 8 + 1) * 8); return;
            default: break;
        }
        if (static_cast<unsigned char>(c) < 0x20) return;
        if (m_column >= kColumns) { m_column = 0; LineFeed(); }
        m_rows[static_cast<size_t>(m_row)][static_cast<size_t>(m_column++)] = c;
    }
    void Escape(char c) {
        m_state = State::Text;
        if (c == '[') { m_state = State::Csi; m_params.clear(); }
        else if (c == '(' || c == ')') m_state = State::Skip;
        else if (c == 'M') ReverseIndex();
        else if (c == 'D') LineFeed();
        else if (c == '7') { m_saved_row = m_row; m_saved_column = m_column; }
        else if (c == '8') { m_row = m_saved_row; m_column = m_saved_column; }
    }
    int Param(size_t i, int fallback) const {
        std::vector<std::string> parts{""};
        for (char c : m_params) {
            if (c == ';') parts.emplace_back(); else parts.back() += c;
        }
        if (i >= parts.size() || parts[i].empty() || parts[i][0] == '?') return fallback;
        return std::atoi(parts[i].c_str());
    }
    void Csi(char c) {
        if ((c >= '0' && c <= '9') || c == ';' || c == '?') { m_params += c; return; }
        m_state = State::Text;
        int n = Param(0, 1);
        switch (c) {
            case 'H': case 'f': m_row = Clamp(Param(0, 1) - 1, kRows); m_column = Clamp(Param(1, 1) - 1, kColumns); break;
            case 'A': m_row = Clamp(m_row - n, kRows); break;
            case 'B': m_row = Clamp(m_row + n, kRows); break;
            case 'C': m_column = Clamp(m_column + n, kColumns); break;
            case 'D': m_column = Clamp(m_column - n, kColumns); break;
            case 'K': EraseLine(Param(0, 0)); break;
            case 'J': EraseBelow(Param(0, 0)); break;
            case 'r': m_top = Param(0, 1) - 1; m_bottom = Param(1, kRows) - 1; m_row = m_column = 0; break;
            default: break;  // attributes and modes change no text
        }
    }
    static int Clamp(int v, int size) { return std::max(0, std::min(size - 1, v)); }
    void EraseLine(int mode) {
        std::string& row = m_rows[static_cast<size_t>(m_row)];
        size_t from = mode == 0 ? static_cast<size_t>(m_column) : 0;
        size_t to = mode == 1 ? static_cast<size_t>(m_column) + 1 : row.size();
        for (size_t i = from; i < to && i < row.size(); ++i) row[i] = ' ';
    }
    void EraseBelow(int mode) {
        if (mode == 2) { for (auto& row : m_rows) row.assign(kColumns, ' '); return; }
        EraseLine(0);
        for (int r = m_row + 1; r < kRows; ++r) m_rows[static_cast<size_t>(r)].assign(kColumns, ' ');
    }
    void LineFeed() {
        if (m_row == m_bottom) {
            m_rows.erase(m_rows.begin() + m_top);
            m_rows.insert(m_rows.begin() + m_bottom, std::string(kColumns, ' '));
        } else {
            m_row = Clamp(m_row + 1, kRows);
        }
    }
    void ReverseIndex() {
        if (m_row == m_top) {
            m_rows.erase(m_rows.begin() + m_bottom);
            m_rows.insert(m_rows.begin() + m_top, std::string(kColumns, ' '));
        } else {
            m_row = Clamp(m_row - 1, kRows);
        }
    }

    enum class State { Text, Escape, Csi, Skip } m_state = State::Text;
    std::vector<std::string> m_rows;
    std::string m_params;
    int m_row = 0, m_column = 0, m_saved_row = 0, m_saved_column = 0;
    int m_top = 0, m_bottom = kRows - 1;
};

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Starts the host with the arguments, in an 80 x 24 terminal when `master`
// is given.
pid_t Spawn(std::vector<std::string> args, int* master) {
    winsize size{24, 80, 0, 0};
    pid_t child = master != nullptr ? forkpty(master, nullptr, nullptr, &size) : fork();
    if (child == 0) {
        setenv("TERM", "vt100", 1);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

int ExitCode(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ConfigureInTerminal : public ::testing::Test {
protected:
    // One hive for the suite: registering is the slow part.
    static void SetUpTestSuite() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-configure-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        s_folder = pattern;
        s_hive = s_folder + "/hive.reg";
        ASSERT_EQ(ExitCode(Spawn({VANTREL_HOST, "register", "--registry", s_hive, "--module",
                                  VANTREL_MODULE}, nullptr)),
                  0);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::remove_all(s_folder, ignored);
    }

    static inline std::string s_folder;
    static inline std::string s_hive;

    // `vantrel settings PROVIDER ARGS... -o OUT`.
    static int Settings(const std::string& provider, std::vector<std::string> args,
                        const std::string& out) {
        args.insert(args.begin(), {VANTREL_HOST, "settings", provider});
        args.insert(args.end(), {"-o", out, "--registry", s_hive});
        return ExitCode(Spawn(args, nullptr));
    }

    // Runs configure in a terminal; keys go in once the first screen is
    // drawn. Returns the exit code and fills the screen with all output.
    static int Configure(std::vector<std::string> args, const std::string& keys, Screen& screen) {
        args.insert(args.begin(), {VANTREL_HOST, "configure"});
        args.insert(args.end(), {"--registry", s_hive});
        int master = -1;
        pid_t child = Spawn(args, &master);
        std::string output;
        bool sent = false;
        for (;;) {
            pollfd ready{master, POLLIN, 0};
            if (poll(&ready, 1, 10000) <= 0) break;  // bounded: a hung page fails the test
            char buffer[4096];
            ssize_t got = read(master, buffer, sizeof buffer);
            if (got <= 0) break;
            output.append(buffer, static_cast<size_t>(got));
            if (!sent && output.find("Esc cancel") != std::string::npos) {
                sent = write(master, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
            }
        }
        close(master);
        screen.Feed(output);
        return ExitCode(child);
    }
};

constexpr char kTab[] = "\t";
constexpr char kBackTab[] = "\x1b[Z";
constexpr char kSave[] = "\x1bOQ";  // F2

// The DyFi page's tab order is its template's: entry, Add, Delete, list,
// user, password, offline. Each key lands where that order says.
TEST_F(ConfigureInTerminal, DyFiPageSavesWhatSettingsWrites) {
    const std::string keys = std::string("b.example") + kTab + " " + kBackTab + "a.example" + kTab +
                             " " + kTab + kTab + kTab + "me" + kTab + "pw" + kTab + " " + kSave;
    Screen screen;
    const std::string saved = s_folder + "/saved.blob";
    ASSERT_EQ(Configure({"dyfi", "-o", saved}, keys, screen), 0);
    const std::string expected = s_folder + "/expected.blob";
    ASSERT_EQ(Settings("dyfi",
                       {"host=b.example", "host=a.example", "user=me", "password=pw", "offline=1"},
                       expected),
              0);
    EXPECT_EQ(ReadFileBytes(saved), ReadFileBytes(expected));

    // The list shows the two hosts sorted; the password is masked.
    int a = screen.RowOf("a.example");
    int b = screen.RowOf("b.example");
    EXPECT_GE(a, 0);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(screen.RowOf("pw"), -1);
    EXPECT_GE(screen.RowOf("F2 or Ctrl+S save"), 0);
}

TEST_F(ConfigureInTerminal, EscCancelsAndWritesNothing) {
    Screen screen;
    const std::string saved = s_folder + "/never.blob";
    EXPECT_EQ(Configure({"dynup", "-o", saved}, "abc\x1b", screen), 1);
    EXPECT_FALSE(std::ifstream(saved).good());
}

// Generic GnuDIP2's first "Configure..." opens its dialog on top of the
// page; OK takes the server and port and the status line shows them.
TEST_F(ConfigureInTerminal, GnuDipServerDialogFromThePage) {
    // user, domain, password, request group, transport group, Configure...
    const std::string keys = std::string(kTab) + kTab + kTab + kTab + kTab + " " + "srv.example" +
                             kTab + "40000" + "\r" + kSave;
    Screen screen;
    const std::string saved = s_folder + "/dialog.blob";
    ASSERT_EQ(Configure({"gnudip", "-o", saved}, keys, screen), 0);
    const std::string expected = s_folder + "/dialog-expected.blob";
    ASSERT_EQ(Settings("gnudip", {"server=srv.example", "port=40000"}, expected), 0);
    EXPECT_EQ(ReadFileBytes(saved), ReadFileBytes(expected));
    EXPECT_GE(screen.RowOf("Server: srv.example Port: 40000"), 0);
}

// A page filled from -i and saved unchanged writes the same bytes.
TEST_F(ConfigureInTerminal, InputBlobSavedUnchanged) {
    const std::string input = s_folder + "/in.blob";
    ASSERT_EQ(Settings("gnudip",
                       {"user=u", "request=2", "transport=tcp", "server=s.example", "port=3495"},
                       input),
              0);
    Screen screen;
    const std::string saved = s_folder + "/out.blob";
    ASSERT_EQ(Configure({"gnudip", "-i", input, "-o", saved}, kSave, screen), 0);
    EXPECT_EQ(ReadFileBytes(saved), ReadFileBytes(input));
    EXPECT_GE(screen.RowOf("Server: s.example Port: 3495"), 0);
}

}  // namespace
