// The .reg text format, as regedit exports it:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\Key\Sub]
//   @="default"
//   "name"="value with \\ and \""
//
// Only string values. Blank lines and lines starting with ';' are skipped.
#include "hive.h"

#include <strings.h>
#include <algorithm>

namespace vtplatform::registry {

namespace {

std::string_view TrimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

// Reads a quoted string at the start of text; advances text past it.
std::optional<std::string> ReadQuoted(std::string_view& text) {
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string out;
    for (size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (++i == text.size() || (text[i] != '\\' && text[i] != '"'))
                return std::nullopt;
            c = text[i];
        }
        out.push_back(c);
    }
    return std::nullopt;  // unterminated: a torn line
}

void AppendQuoted(std::string& out, const std::string& text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// "[HKEY_CLASSES_ROOT\A\B]" to the key, created if needed.
Key* OpenSection(Key& root, std::string_view line) {
    if (line.size() < 2 || line.back() != ']')
        return nullptr;
    std::string_view path = line.substr(1, line.size() - 2);
    if (path.size() < kRootName.size() ||
        strncasecmp(path.data(), kRootName.data(), kRootName.size()) != 0)
        return nullptr;
    path.remove_prefix(kRootName.size());
    if (path.empty())
        return &root;
    if (path.front() != '\\')
        return nullptr;
    auto parts = SplitPath(path.substr(1));
    if (!parts || parts->empty() || parts->size() > kMaxDepth)
        return nullptr;
    Key* key = &root;
    for (const auto& part : *parts) {
        auto& slot = key->subkeys[part];
        if (!slot)
            slot = std::make_unique<Key>();
        key = slot.get();
    }
    return key;
}

bool ReadValue(Key& key, std::string_view line) {
    std::string name;
    if (line.starts_with("@")) {
        line.remove_prefix(1);
    } else {
        auto quoted = ReadQuoted(line);
        if (!quoted || quoted->empty())
            return false;
        name = std::move(*quoted);
    }
    if (line.empty() || line.front() != '=')
        return false;
    line.remove_prefix(1);
    auto value = ReadQuoted(line);
    if (!value || !line.empty())
        return false;
    key.values[name] = std::move(*value);
    return true;
}

void AppendSection(std::string& out, const Key& key, std::string_view path) {
    out += "\n[";
    out += path;
    out += "]\n";
    for (const auto& [name, value] : key.values) {
        if (name.empty())
            out += "@";
        else
            AppendQuoted(out, name);
        out += "=";
        AppendQuoted(out, value);
        out += "\n";
    }
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

std::optional<KeyPath> SplitPath(std::string_view path) {
    KeyPath parts;
    while (!path.empty()) {
        size_t end = path.find('\\');
        std::string_view part = path.substr(0, end);
        if (part.empty())
            return std::nullopt;
        parts.emplace_back(part);
        if (end == std::string_view::npos)
            break;
        path.remove_prefix(end + 1);
    }
    return parts;
}

Key* Find(Key& root, const KeyPath& path) {
    Key* key = &root;
    for (const auto& part : path) {
        auto it = key->subkeys.find(part);
        if (it == key->subkeys.end())
            return nullptr;
        key = it->second.get();
    }
    return key;
}

std::optional<Key> ParseHive(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    Key root;
    Key* current = nullptr;
    bool header_seen = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = TrimLineEnd(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (!header_seen) {
            if (line != kHeader)
                return std::nullopt;
            header_seen = true;
        } else if (line.front() == '[') {
            current = OpenSection(root, line);
            if (current == nullptr)
                return std::nullopt;
        } else if (current == nullptr || !ReadValue(*current, line)) {
            return std::nullopt;
        }
    }
    if (!header_seen)
        return std::nullopt;
    return root;
}

// A walk with its own stack and one path buffer: no recursion, and each key
// costs the length of its own path only.
std::optional<std::string> FormatHive(const Key& root) {
    using Next = std::map<std::string, std::unique_ptr<Key>, NoCaseLess>::const_iterator;
    struct Frame {
        const Key* key;
        Next next;
        size_t path_size;
    };
    std::string out(kHeader);
    out += "\n";
    std::string path(kRootName);
    AppendSection(out, root, path);
    std::vector<Frame> stack{{&root, root.subkeys.begin(), path.size()}};
    while (!stack.empty()) {
        if (out.size() > kMaxHiveBytes)
            return std::nullopt;
        Frame& top = stack.back();
        if (top.next == top.key->subkeys.end()) {
            stack.pop_back();
            continue;
        }
        const auto& [name, child] = *top.next++;
        path.resize(top.path_size);
        path += '\\';
        path += name;
        AppendSection(out, *child, path);
        stack.push_back({child.get(), child->subkeys.begin(), path.size()});
    }
    return out;
}

}  // namespace vtplatform::registry
