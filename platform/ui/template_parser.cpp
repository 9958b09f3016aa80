// Dialog templates as text: the resource-script DIALOG statement, parsed
// into a DLGTEMPLATE. Bounded on every count and length; a template that is
// not well formed yields nothing.
#include "template_parser.h"

#include <cctype>
#include <cstring>
#include <optional>
#include <strings.h>

namespace vt::ui {
namespace {

constexpr size_t kMaxText = 1 << 20;
constexpr size_t kMaxItems = 1024;
constexpr size_t kMaxString = 4096;

struct Name {
    const char* name;
    long value;
};

const Name kNames[] = {
    {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", WS_POPUP}, {"WS_CHILD", WS_CHILD},
    {"WS_VISIBLE", WS_VISIBLE}, {"WS_DISABLED", WS_DISABLED}, {"WS_CAPTION", WS_CAPTION},
    {"WS_BORDER", WS_BORDER}, {"WS_DLGFRAME", WS_DLGFRAME}, {"WS_VSCROLL", WS_VSCROLL},
    {"WS_HSCROLL", WS_HSCROLL}, {"WS_SYSMENU", WS_SYSMENU}, {"WS_GROUP", WS_GROUP},
    {"WS_TABSTOP", WS_TABSTOP}, {"WS_EX_CONTROLPARENT", WS_EX_CONTROLPARENT},
    {"DS_3DLOOK", DS_3DLOOK}, {"DS_FIXEDSYS", DS_FIXEDSYS}, {"DS_SETFONT", DS_SETFONT},
    {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_CONTROL", DS_CONTROL}, {"DS_CENTER", DS_CENTER},
    {"ES_LEFT", ES_LEFT}, {"ES_CENTER", ES_CENTER}, {"ES_RIGHT", ES_RIGHT},
    {"ES_MULTILINE", ES_MULTILINE}, {"ES_UPPERCASE", ES_UPPERCASE},
    {"ES_LOWERCASE", ES_LOWERCASE}, {"ES_PASSWORD", ES_PASSWORD},
    {"ES_AUTOVSCROLL", ES_AUTOVSCROLL}, {"ES_AUTOHSCROLL", ES_AUTOHSCROLL},
    {"ES_NOHIDESEL", ES_NOHIDESEL}, {"ES_READONLY", ES_READONLY},
    {"ES_WANTRETURN", ES_WANTRETURN}, {"ES_NUMBER", ES_NUMBER},
    {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
    {"BS_CHECKBOX", BS_CHECKBOX}, {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX},
    {"BS_RADIOBUTTON", BS_RADIOBUTTON}, {"BS_3STATE", BS_3STATE},
    {"BS_AUTO3STATE", BS_AUTO3STATE}, {"BS_GROUPBOX", BS_GROUPBOX},
    {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON}, {"BS_LEFTTEXT", BS_LEFTTEXT},
    {"SS_LEFT", SS_LEFT}, {"SS_CENTER", SS_CENTER}, {"SS_RIGHT", SS_RIGHT},
    {"SS_NOPREFIX", SS_NOPREFIX}, {"LBS_NOTIFY", LBS_NOTIFY}, {"LBS_SORT", LBS_SORT},
    {"LBS_NOREDRAW", LBS_NOREDRAW}, {"LBS_HASSTRINGS", LBS_HASSTRINGS},
    {"LBS_NOINTEGRALHEIGHT", LBS_NOINTEGRALHEIGHT},
    {"LBS_DISABLENOSCROLL", LBS_DISABLENOSCROLL}, {"CBS_SIMPLE", CBS_SIMPLE},
    {"CBS_DROPDOWN", CBS_DROPDOWN}, {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
    {"CBS_AUTOHSCROLL", CBS_AUTOHSCROLL}, {"CBS_SORT", CBS_SORT},
    {"CBS_HASSTRINGS", CBS_HASSTRINGS}, {"CBS_NOINTEGRALHEIGHT", CBS_NOINTEGRALHEIGHT},
    {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDABORT", IDABORT}, {"IDRETRY", IDRETRY},
    {"IDIGNORE", IDIGNORE}, {"IDYES", IDYES}, {"IDNO", IDNO}, {"IDC_STATIC", IDC_STATIC},
};

// Control statements with the resource compiler's default styles.
struct Statement {
    const char* keyword;
    const char* window_class;
    bool has_text;
    long style;
};

const Statement kStatements[] = {
    {"LTEXT", "Static", true, SS_LEFT | WS_GROUP},
    {"RTEXT", "Static", true, SS_RIGHT | WS_GROUP},
    {"CTEXT", "Static", true, SS_CENTER | WS_GROUP},
    {"PUSHBUTTON", "Button", true, BS_PUSHBUTTON | WS_TABSTOP},
    {"DEFPUSHBUTTON", "Button", true, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"CHECKBOX", "Button", true, BS_CHECKBOX | WS_TABSTOP},
    {"AUTOCHECKBOX", "Button", true, BS_AUTOCHECKBOX | WS_TABSTOP},
    {"RADIOBUTTON", "Button", true, BS_RADIOBUTTON},
    {"AUTORADIOBUTTON", "Button", true, BS_AUTORADIOBUTTON},
    {"GROUPBOX", "Button", true, BS_GROUPBOX},
    {"EDITTEXT", "Edit", false, ES_LEFT | WS_BORDER | WS_TABSTOP},
    {"LISTBOX", "ListBox", false, LBS_NOTIFY | WS_BORDER},
    {"COMBOBOX", "ComboBox", false, CBS_SIMPLE | WS_TABSTOP},
};

const char* const kClasses[] = {"Button", "Edit", "Static", "ListBox", "ComboBox"};

enum class Token { End, Number, String, Name, Comma, Bar, Error };

class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    Token Next() {
        SkipSpace();
        m_word.clear();
        if (m_at >= m_text.size()) return Token::End;
        char c = m_text[m_at];
        if (c == ',') { ++m_at; return Token::Comma; }
        if (c == '|') { ++m_at; return Token::Bar; }
        if (c == '{' || c == '}') { m_word.assign(1, c); ++m_at; return Token::Name; }
        if (c == '"') return ReadString();
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) return ReadNumber();
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            while (m_at < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_at])) ||
                                            m_text[m_at] == '_')) {
                m_word.push_back(m_text[m_at++]);
            }
            return m_word.size() <= kMaxString ? Token::Name : Token::Error;
        }
        return Token::Error;
    }
    // The next token without taking it.
    Token Peek() {
        size_t at = m_at;
        std::string word = m_word;
        long number = m_number;
        Token token = Next();
        m_at = at;
        m_word = std::move(word);
        m_number = number;
        return token;
    }
    const std::string& word() const { return m_word; }
    long number() const { return m_number; }

private:
    void SkipSpace() {
        while (m_at < m_text.size()) {
            char c = m_text[m_at];
            if (c == '/' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '/') {
                while (m_at < m_text.size() && m_text[m_at] != '\n') ++m_at;
            } else if (std::isspace(static_cast<unsigned char>(c)) || c == '\0') {
                ++m_at;
            } else {
                return;
            }
        }
    }
    Token ReadString() {
        ++m_at;
        while (m_at < m_text.size() && m_word.size() <= kMaxString) {
            char c = m_text[m_at++];
            if (c == '"') {
                // A doubled quote stands for one quote, as in resource scripts.
                if (m_at < m_text.size() && m_text[m_at] == '"') {
                    m_word.push_back('"');
                    ++m_at;
                    continue;
                }
                return Token::String;
            }
            if (c == '\\' && m_at < m_text.size() && m_text[m_at] == '"') {
                c = m_text[m_at++];
            }
            if (c == '\n') return Token::Error;
            m_word.push_back(c);
        }
        return Token::Error;
    }
    Token ReadNumber() {
        bool negative = m_text[m_at] == '-';
        if (negative) ++m_at;
        int base = 10;
        if (m_at + 1 < m_text.size() && m_text[m_at] == '0' && (m_text[m_at + 1] | 0x20) == 'x') {
            base = 16;
            m_at += 2;
        }
        long value = 0;
        size_t digits = 0;
        while (m_at < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[m_at]))) {
            char c = m_text[m_at];
            int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10;
            if (digit >= base || ++digits > 10) return Token::Error;
            value = value * base + digit;
            ++m_at;
        }
        if (m_at < m_text.size() && (m_text[m_at] | 0x20) == 'l') ++m_at;  // 0x10L
        if (digits == 0 || value > 0xFFFFFFFFL) return Token::Error;
        m_number = negative ? -value : value;
        return Token::Number;
    }

    std::string_view m_text;
    size_t m_at = 0;
    std::string m_word;
    long m_number = 0;
};

class Parser {
public:
    explicit Parser(std::string_view text) : m_lex(text) {}

    std::unique_ptr<ParsedTemplate> Parse() {
        auto result = std::make_unique<ParsedTemplate>();
        m_out = result.get();
        if (!Header() || !Options() || !Body()) return nullptr;
        m_out->cdit = static_cast<WORD>(m_out->item_list.size());
        m_out->items = m_out->item_list.data();
        return result;
    }

private:
    bool Is(Token token, const char* word) {
        return token == Token::Name && strcasecmp(m_lex.word().c_str(), word) == 0;
    }
    bool Value(long* out) { return ValueOf(m_lex.Next(), out); }
    bool ValueOf(Token token, long* out) {
        if (token == Token::Number) {
            *out = m_lex.number();
            return true;
        }
        if (token != Token::Name) return false;
        for (const Name& name : kNames) {
            if (m_lex.word() == name.name) {
                *out = name.value;
                return true;
            }
        }
        return false;
    }
    bool Comma() { return m_lex.Next() == Token::Comma; }
    bool Coordinate(short* out) {
        long value = 0;
        if (!Value(&value) || value < -32768 || value > 32767) return false;
        *out = static_cast<short>(value);
        return true;
    }
    bool Rect(short* x, short* y, short* cx, short* cy) {
        return Coordinate(x) && Comma() && Coordinate(y) && Comma() && Coordinate(cx) && Comma() &&
               Coordinate(cy);
    }
    // name [| name ...]; "NOT name" removes a bit of the default style.
    bool Style(DWORD* add, DWORD* remove) {
        do {
            Token token = m_lex.Next();
            bool negated = Is(token, "NOT");
            if (negated) token = m_lex.Next();
            long value = 0;
            if (!ValueOf(token, &value)) return false;
            *(negated ? remove : add) |= static_cast<DWORD>(value);
        } while (m_lex.Peek() == Token::Bar && m_lex.Next() == Token::Bar);
        return true;
    }
    bool Style(DWORD* style) {
        DWORD add = 0;
        DWORD remove = 0;
        if (!Style(&add, &remove)) return false;
        *style = (*style | add) & ~remove;
        return true;
    }
    const char* Keep(const std::string& text) { return m_out->strings.emplace_back(text).c_str(); }

    bool Header() {
        Token name = m_lex.Next();  // a number or a symbolic name
        if (name != Token::Number && name != Token::Name) return false;
        Token keyword = m_lex.Next();
        bool extended = Is(keyword, "DIALOGEX");
        if (!extended && !Is(keyword, "DIALOG")) return false;
        if (!Rect(&m_out->x, &m_out->y, &m_out->cx, &m_out->cy)) return false;
        if (extended && m_lex.Peek() == Token::Comma) {  // help id
            long help = 0;
            if (!Comma() || !Value(&help)) return false;
        }
        m_out->style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        return true;
    }
    bool Options() {
        for (;;) {
            Token token = m_lex.Next();
            if (Is(token, "BEGIN") || Is(token, "{")) return true;
            if (Is(token, "STYLE")) {
                // An explicit STYLE replaces the default one.
                DWORD style = 0;
                if (!Style(&style)) return false;
                m_out->style = style;
            } else if (Is(token, "EXSTYLE")) {
                if (!Style(&m_out->dwExtendedStyle)) return false;
            } else if (Is(token, "CAPTION")) {
                if (m_lex.Next() != Token::String) return false;
                m_out->caption = Keep(m_lex.word());
                m_captioned = true;
            } else if (Is(token, "FONT")) {
                long size = 0;
                if (!Value(&size) || size <= 0 || size > 72 || !Comma() ||
                    m_lex.Next() != Token::String) {
                    return false;
                }
                m_out->pointSize = static_cast<WORD>(size);
                m_out->typeface = Keep(m_lex.word());
                while (m_lex.Peek() == Token::Comma) {  // DIALOGEX weight, italic, charset
                    long ignored = 0;
                    if (!Comma() || !Value(&ignored)) return false;
                }
            } else {
                return false;
            }
            if (m_captioned) m_out->style |= WS_CAPTION;
        }
    }
    bool Body() {
        for (;;) {
            Token token = m_lex.Next();
            if (Is(token, "END") || Is(token, "}")) return m_lex.Next() == Token::End;
            if (token != Token::Name || m_out->item_list.size() >= kMaxItems) return false;
            DLGITEMTEMPLATE item{};
            bool parsed = Is(token, "CONTROL") ? Control(&item) : Shorthand(&item);
            if (!parsed) return false;
            item.style |= WS_CHILD | WS_VISIBLE;
            m_out->item_list.push_back(item);
        }
    }
    bool Id(DLGITEMTEMPLATE* item) {
        long id = 0;
        if (!Value(&id) || id < -32768 || id > 65535) return false;
        item->id = static_cast<WORD>(id);
        return true;
    }
    bool Tail(DLGITEMTEMPLATE* item, bool combo) {
        if (m_lex.Peek() != Token::Comma) return true;
        m_lex.Next();
        DWORD add = 0;
        DWORD remove = 0;
        if (!Style(&add, &remove)) return false;
        // A combo box type given replaces the default simple one.
        if (combo && (add & 3) != 0) item->style &= ~3u;
        item->style = (item->style | add) & ~remove;
        if (m_lex.Peek() != Token::Comma) return true;
        m_lex.Next();
        return Style(&item->dwExtendedStyle);
    }
    bool Shorthand(DLGITEMTEMPLATE* item) {
        const Statement* statement = nullptr;
        for (const Statement& s : kStatements) {
            if (m_lex.word() == s.keyword) statement = &s;
        }
        if (statement == nullptr) return false;
        item->windowClass = statement->window_class;
        item->style = static_cast<DWORD>(statement->style);
        item->title = "";
        if (statement->has_text) {
            if (m_lex.Next() != Token::String) return false;
            item->title = Keep(m_lex.word());
            if (!Comma()) return false;
        }
        return Id(item) && Comma() && Rect(&item->x, &item->y, &item->cx, &item->cy) &&
               Tail(item, std::strcmp(statement->keyword, "COMBOBOX") == 0);
    }
    bool Control(DLGITEMTEMPLATE* item) {
        if (m_lex.Next() != Token::String) return false;
        item->title = Keep(m_lex.word());
        if (!Comma() || !Id(item) || !Comma()) return false;
        Token kind = m_lex.Next();
        if (kind != Token::String && kind != Token::Name) return false;
        for (const char* name : kClasses) {
            if (strcasecmp(m_lex.word().c_str(), name) == 0) item->windowClass = name;
        }
        if (item->windowClass == nullptr || !Comma() || !Style(&item->style) || !Comma() ||
            !Rect(&item->x, &item->y, &item->cx, &item->cy)) {
            return false;
        }
        if (m_lex.Peek() != Token::Comma) return true;
        m_lex.Next();
        return Style(&item->dwExtendedStyle);
    }

    Lexer m_lex;
    ParsedTemplate* m_out = nullptr;
    bool m_captioned = false;
};

}  // namespace

std::unique_ptr<ParsedTemplate> ParseDialogTemplate(std::string_view text) {
    if (text.size() > kMaxText) {
        return nullptr;
    }
    return Parser(text).Parse();
}

}  // namespace vt::ui

VT_EXTERN_C VT_PLATFORM_API DLGTEMPLATE* VtParseDialogTemplateA(const char* text, size_t length) {
    if (text == nullptr) {
        return nullptr;
    }
    try {
        return vt::ui::ParseDialogTemplate(std::string_view(text, length)).release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

VT_EXTERN_C VT_PLATFORM_API void VtFreeDialogTemplate(DLGTEMPLATE* dialog_template) {
    delete static_cast<vt::ui::ParsedTemplate*>(dialog_template);
}
