// The terminal front end: shows a dialog with ncurses on any terminal that
// TERM names and feeds the keys typed to the dialog manager. Modal dialogs
// opened from the page run on top through the modal hook.
#include "render.h"

#include <curses.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vt::ui {
namespace {

constexpr int kMinColumns = 80;
constexpr int kMinRows = 24;
constexpr int kEscapeWaitMs = 60;  // how long a lone ESC waits for the rest of a sequence

const char kPageKeys[] = "Tab/Shift+Tab move  Enter/Space press  F2 or Ctrl+S save  Esc cancel";
const char kModalKeys[] = "Tab/Shift+Tab move  Enter OK  Esc cancel";

class Terminal {
public:
    Terminal(HWND page, const char* title, int in_fd, int out_fd)
        : m_page(page), m_title(title), m_in(in_fd), m_out(out_fd) {}

    // Reads one key; false at the end of input.
    bool ReadKey(VtKeyEvent* key) {
        for (;;) {
            if (m_length > 0) {
                size_t used = VtDecodeKey(m_buffer, m_length, FALSE, key);
                if (used == 0 && Fill(kEscapeWaitMs) != Input::Data) {
                    used = VtDecodeKey(m_buffer, m_length, TRUE, key);
                }
                if (used > 0) {
                    std::memmove(m_buffer, m_buffer + used, m_length - used);
                    m_length -= used;
                    if (key->message != 0) return true;
                }
                continue;
            }
            Input input = Fill(-1);
            if (input == Input::Interrupted) Draw();  // most likely a resize
            if (input == Input::End) return false;
        }
    }

    void Draw() {
        Window* page = FromHandle(m_page);
        if (page == nullptr) return;
        winsize size{};
        if (ioctl(m_out, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 &&
            (size.ws_row != LINES || size.ws_col != COLS)) {
            resizeterm(size.ws_row, size.ws_col);
        }
        erase();
        int columns = getmaxx(stdscr);
        int rows = getmaxy(stdscr);
        if (columns < kMinColumns || rows < kMinRows) {
            mvprintw(0, 0, "The terminal is %d x %d; the page needs at least %d x %d.", columns, rows,
                     kMinColumns, kMinRows);
            refresh();
            return;
        }
        RenderedFrame frame = RenderDialogStack(*page, true);
        attr_t page_colour = PageColour(frame.background);
        attron(A_REVERSE);
        mvhline(0, 0, ' ', columns);
        mvaddnstr(0, 1, m_title.c_str(), columns - 2);
        attroff(A_REVERSE);
        int left = std::max(0, (columns - frame.canvas.columns()) / 2);
        int top = 2;
        for (int r = 0; r < frame.canvas.rows() && top + r < rows - 1; ++r) {
            for (int c = 0; c < frame.canvas.columns() && left + c < columns; ++c) {
                const Cell& cell = frame.canvas.at(c, r);
                attr_t attributes = page_colour;
                if ((cell.attributes & kReverse) != 0) attributes |= A_REVERSE;
                if ((cell.attributes & kBold) != 0) attributes |= A_BOLD;
                if ((cell.attributes & kUnderline) != 0) attributes |= A_UNDERLINE;
                if ((cell.attributes & kDim) != 0) attributes |= A_DIM;
                auto ch = static_cast<unsigned char>(cell.ch);
                mvaddch(top + r, left + c, (ch >= 0x20 && ch < 0x7F ? ch : '?') | attributes);
            }
        }
        attron(A_REVERSE);
        mvhline(rows - 1, 0, ' ', columns);
        mvaddnstr(rows - 1, 1, ModalStack().empty() ? kPageKeys : kModalKeys, columns - 2);
        attroff(A_REVERSE);
        if (frame.caret_row >= 0) {
            curs_set(1);
            move(top + frame.caret_row, left + frame.caret_column);
        } else {
            curs_set(0);
        }
        refresh();
    }

    // Keys the front end keeps for itself: save and cancel of the page.
    enum class Outcome { None, Saved, Cancelled };
    Outcome PageKey(const VtKeyEvent& key) {
        bool save = key.message == WM_KEYDOWN &&
                    (key.key == VK_F2 || (key.key == 'S' && (key.modifiers & VT_MOD_CONTROL) != 0));
        if (save) return Outcome::Saved;
        if (key.message == WM_KEYDOWN && key.key == VK_ESCAPE && !FocusWantsAllKeys()) {
            return Outcome::Cancelled;
        }
        VtDispatchKey(m_page, &key);
        while (DispatchPostedMessage()) {
        }
        return Outcome::None;
    }

    BOOL ModalKey(HWND dialog) {
        Draw();
        VtKeyEvent key{};
        if (!ReadKey(&key)) return FALSE;
        // In a modal dialog the save key confirms it like Enter.
        bool save = key.message == WM_KEYDOWN &&
                    (key.key == VK_F2 || (key.key == 'S' && (key.modifiers & VT_MOD_CONTROL) != 0));
        if (save) key = VtKeyEvent{WM_KEYDOWN, VK_RETURN, 0};
        VtDispatchKey(dialog, &key);
        return TRUE;
    }

private:
    // The page's background brush as the nearest of the eight terminal
    // colours, with black or white text, whichever reads better.
    static attr_t PageColour(COLORREF colour) {
        if (colour == CLR_INVALID || !has_colors()) return A_NORMAL;
        static const short kColours[] = {COLOR_BLACK, COLOR_RED,     COLOR_GREEN, COLOR_YELLOW,
                                         COLOR_BLUE,  COLOR_MAGENTA, COLOR_CYAN,  COLOR_WHITE};
        int red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
        int best = 0;
        int best_distance = 1 << 30;
        for (int i = 0; i < 8; ++i) {
            // Colour i has red in bit 0, green in bit 1, blue in bit 2.
            int dr = red - ((i & 1) != 0 ? 205 : 0);
            int dg = green - ((i & 2) != 0 ? 205 : 0);
            int db = blue - ((i & 4) != 0 ? 205 : 0);
            int distance = dr * dr + dg * dg + db * db;
            if (distance < best_distance) {
                best = i;
                best_distance = distance;
            }
        }
        bool light = red * 299 + green * 587 + blue * 114 > 128000;
        init_pair(1, light ? COLOR_BLACK : COLOR_WHITE, kColours[best]);
        return COLOR_PAIR(1);
    }

    static bool FocusWantsAllKeys() {
        HWND focus = GetFocus();
        return focus != nullptr && (SendMessageA(focus, WM_GETDLGCODE, VK_ESCAPE, 0) & DLGC_WANTALLKEYS) != 0;
    }

    enum class Input { Data, End, Interrupted };
    // Waits up to timeout_ms (-1: no limit) for input. A signal (the
    // terminal's resize) interrupts the wait; a timeout counts as the end.
    Input Fill(int timeout_ms) {
        if (m_length >= sizeof m_buffer) return Input::Data;
        pollfd descriptor{m_in, POLLIN, 0};
        int ready = poll(&descriptor, 1, timeout_ms);
        if (ready < 0 && errno == EINTR) return Input::Interrupted;
        if (ready <= 0) return Input::End;
        ssize_t got = read(m_in, m_buffer + m_length, sizeof m_buffer - m_length);
        if (got < 0 && errno == EINTR) return Input::Interrupted;
        if (got <= 0) return Input::End;
        m_length += static_cast<size_t>(got);
        return Input::Data;
    }

    HWND m_page;
    std::string m_title;
    int m_in;
    int m_out;
    unsigned char m_buffer[256]{};
    size_t m_length = 0;
};

BOOL PumpModal(HWND dialog, void* context) { return static_cast<Terminal*>(context)->ModalKey(dialog); }

// The ncurses screen on two descriptors, ended on every path.
class Screen {
public:
    static std::unique_ptr<Screen> Open(int in_fd, int out_fd) {
        auto screen = std::unique_ptr<Screen>(new Screen);
        int in_copy = dup(in_fd);
        int out_copy = dup(out_fd);
        screen->m_in = in_copy >= 0 ? fdopen(in_copy, "r") : nullptr;
        screen->m_out = out_copy >= 0 ? fdopen(out_copy, "w") : nullptr;
        if (screen->m_in == nullptr || screen->m_out == nullptr) {
            if (screen->m_in == nullptr && in_copy >= 0) close(in_copy);
            if (screen->m_out == nullptr && out_copy >= 0) close(out_copy);
            return nullptr;
        }
        screen->m_screen = newterm(nullptr, screen->m_out, screen->m_in);
        if (screen->m_screen == nullptr) return nullptr;
        set_term(screen->m_screen);
        raw();
        noecho();
        nonl();
        keypad(stdscr, FALSE);  // keys are decoded from the bytes themselves
        if (has_colors()) start_color();
        return screen;
    }
    ~Screen() {
        if (m_screen != nullptr) {
            endwin();
            delscreen(m_screen);
        }
        if (m_out != nullptr) std::fclose(m_out);
        if (m_in != nullptr) std::fclose(m_in);
    }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

private:
    Screen() = default;
    FILE* m_in = nullptr;
    FILE* m_out = nullptr;
    SCREEN* m_screen = nullptr;
};

}  // namespace
}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API int VtRunTerminalFd(HWND dialog, const char* title, int in_fd, int out_fd) {
    if (FromHandle(dialog) == nullptr) {
        std::fprintf(stderr, "vantrel: no dialog to show\n");
        return VT_TERMINAL_ERROR;
    }
    const char* term = std::getenv("TERM");
    if (!isatty(in_fd) || term == nullptr || *term == '\0') {
        std::fprintf(stderr, "vantrel: the page needs a terminal (TERM set, input a tty)\n");
        return VT_TERMINAL_ERROR;
    }
    std::unique_ptr<Screen> screen = Screen::Open(in_fd, out_fd);
    if (screen == nullptr) {
        std::fprintf(stderr, "vantrel: cannot use terminal type '%s'\n", term);
        return VT_TERMINAL_ERROR;
    }
    int columns = getmaxx(stdscr);
    int rows = getmaxy(stdscr);
    if (columns < kMinColumns || rows < kMinRows) {
        screen.reset();
        std::fprintf(stderr, "vantrel: the terminal is %d x %d; the page needs at least %d x %d\n",
                     columns, rows, kMinColumns, kMinRows);
        return VT_TERMINAL_ERROR;
    }
    Terminal terminal(dialog, title != nullptr ? title : "", in_fd, out_fd);
    VtModalHook previous = VtSetModalHook(VtModalHook{PumpModal, &terminal});
    if (GetFocus() == nullptr || IsChild(dialog, GetFocus()) == FALSE) {
        SetFocus(GetNextDlgTabItem(dialog, nullptr, FALSE));
    }
    int result = VT_TERMINAL_CANCELLED;
    for (;;) {
        terminal.Draw();
        VtKeyEvent key{};
        if (!terminal.ReadKey(&key)) break;  // end of input cancels
        Terminal::Outcome outcome = terminal.PageKey(key);
        if (outcome == Terminal::Outcome::Saved) {
            result = VT_TERMINAL_SAVED;
            break;
        }
        if (outcome == Terminal::Outcome::Cancelled || FromHandle(dialog) == nullptr) break;
    }
    VtSetModalHook(previous);
    return result;
}

VT_EXTERN_C VT_PLATFORM_API int VtRunTerminal(HWND dialog, const char* title) {
    return VtRunTerminalFd(dialog, title, STDIN_FILENO, STDOUT_FILENO);
}
