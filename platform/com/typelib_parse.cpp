#include "typelib_parse.h"

#include "com_internal.h"

#include <charconv>

namespace vtplatform::typelib {

namespace {

struct Token {
    std::string text;
    bool quoted;
};

// Splits a line into bare words and quoted strings (\" and \\ escaped).
std::optional<std::vector<Token>> Tokenize(std::string_view line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        Token token{{}, line[i] == '"'};
        if (token.quoted) {
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt;
                if (line[i] == '"')
                    break;
                if (line[i] == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\'))
                    ++i;
                token.text.push_back(line[i]);
            }
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != '"')
                token.text.push_back(line[i++]);
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool IsWord(const Token& token) {
    if (token.quoted || token.text.empty())
        return false;
    for (char c : token.text) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                  c == '_';
        if (!ok)
            return false;
    }
    return !(token.text[0] >= '0' && token.text[0] <= '9');
}

template <typename Number>
bool ParseNumber(std::string_view text, Number* value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseVersion(const std::string& text, WORD* major, WORD* minor) {
    size_t dot = text.find('.');
    return dot != std::string::npos &&
           ParseNumber(std::string_view(text).substr(0, dot), major) &&
           ParseNumber(std::string_view(text).substr(dot + 1), minor);
}

bool ParseGuid(const Token& token, GUID* guid) {
    return !token.quoted && GuidFromNarrow(token.text, guid);
}

bool ParseKind(const std::string& text, InterfaceKind* kind) {
    if (text == "dual")
        *kind = InterfaceKind::kDual;
    else if (text == "oleautomation")
        *kind = InterfaceKind::kOleAutomation;
    else if (text == "plain")
        *kind = InterfaceKind::kPlain;
    else
        return false;
    return true;
}

// One line into the library; false when it breaks the grammar.
bool ParseLine(const std::vector<Token>& t, Library& library, bool& have_library) {
    const std::string& keyword = t[0].quoted ? std::string() : t[0].text;
    if (keyword == "library") {
        if (have_library || t.size() != 5 || !IsWord(t[1]) || !ParseGuid(t[2], &library.libid) ||
            t[3].quoted || !ParseVersion(t[3].text, &library.major, &library.minor) || !t[4].quoted)
            return false;
        library.name = t[1].text;
        library.help = t[4].text;
        have_library = true;
        return true;
    }
    if (!have_library)
        return false;  // the library line comes first
    if (keyword == "interface") {
        Interface item{};
        if (t.size() != 5 || !IsWord(t[1]) || !ParseGuid(t[2], &item.iid) || t[3].quoted ||
            !ParseKind(t[3].text, &item.kind) || !t[4].quoted)
            return false;
        item.name = t[1].text;
        item.help = t[4].text;
        library.interfaces.push_back(std::move(item));
        return true;
    }
    if (keyword == "method") {
        Method method{};
        if (library.interfaces.empty() || t.size() != 4 || t[1].quoted ||
            !ParseNumber(t[1].text, &method.id) || !IsWord(t[2]) || !t[3].quoted)
            return false;
        method.name = t[2].text;
        method.help = t[3].text;
        library.interfaces.back().methods.push_back(std::move(method));
        return true;
    }
    if (keyword == "coclass") {
        CoClass item{};
        if (t.size() != 6 || !IsWord(t[1]) || !ParseGuid(t[2], &item.clsid) || !t[3].quoted ||
            t[4].quoted || t[4].text != "default" || !IsWord(t[5]))
            return false;
        item.name = t[1].text;
        item.help = t[3].text;
        item.default_interface = t[5].text;
        library.coclasses.push_back(std::move(item));
        return true;
    }
    return false;
}

bool HasInterface(const Library& library, const std::string& name) {
    for (const auto& item : library.interfaces) {
        if (item.name == name)
            return true;
    }
    return false;
}

}  // namespace

std::optional<Library> ParseTypeLibrary(std::string_view text) {
    Library library{};
    bool have_library = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.find('\0') != std::string_view::npos)
            return std::nullopt;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line[first] == '#')
            continue;
        auto tokens = Tokenize(line);
        if (!tokens)
            return std::nullopt;
        if (!ParseLine(*tokens, library, have_library))
            return std::nullopt;
    }
    if (!have_library)
        return std::nullopt;
    for (const auto& coclass : library.coclasses) {
        if (!HasInterface(library, coclass.default_interface))
            return std::nullopt;
    }
    return library;
}

}  // namespace vtplatform::typelib
