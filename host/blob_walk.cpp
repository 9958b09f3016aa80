#include "host/blob_walk.h"

#include <cstdio>
#include <string_view>

namespace host {

namespace {

using vantrel::BlobField;
using vantrel::BlobKind;

// The smallest counted text: its length and a NUL.
constexpr size_t kSmallestCountedText = 5;

std::string Quoted(std::span<const uint8_t> bytes) {
    std::string text = "\"";
    for (uint8_t b : bytes) {
        char escaped[8];
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            escaped[0] = static_cast<char>(b);
            escaped[1] = '\0';
        } else {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", b);
        }
        text += escaped;
    }
    return text + "\"";
}

class Walker {
public:
    explicit Walker(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    // False after the first problem.
    bool Field(const BlobField& field) {
        switch (field.kind) {
            case BlobKind::CountedText:
                return Text(field.name, true);
            case BlobKind::BareText:
                return Text(field.name, false);
            case BlobKind::Integer: {
                int32_t value = 0;
                return Int32(field.name, "", &value);
            }
            case BlobKind::Flag:
                return Flag(field.name);
            case BlobKind::ShortInteger:
                if (!Has(2, field.name))
                    return false;
                Take(2, std::string(field.name) + ": " +
                            std::to_string(m_bytes[m_at] | m_bytes[m_at + 1] << 8));
                return true;
            case BlobKind::CountedTextList:
                return List(field.name);
        }
        return Fail(field.name, "a field of no known kind");
    }

    BlobWalk Finish(const char* last_field) {
        if (!m_walk.problem && m_at < m_bytes.size()) {
            Fail(std::string("after ") + last_field, std::to_string(Left()) + " bytes left over");
        }
        return std::move(m_walk);
    }

private:
    size_t Left() const { return m_bytes.size() - m_at; }

    bool Fail(const std::string& field, const std::string& what) {
        m_walk.problem = BlobProblem{field, m_at, what};
        return false;
    }

    bool Has(size_t count, const std::string& name) {
        return count <= Left() ||
               Fail(name, "cut short: " + std::to_string(count) + " bytes needed, " +
                              std::to_string(Left()) + " left");
    }

    void Take(size_t count, std::string note) {
        m_walk.parts.push_back({m_at, count, std::move(note)});
        m_at += count;
    }

    int32_t Peek32() const {
        uint32_t bits = 0;
        for (size_t i = 4; i-- > 0;)
            bits = bits << 8 | m_bytes[m_at + i];
        return static_cast<int32_t>(bits);
    }

    bool Int32(const std::string& name, const char* what, int32_t* value) {
        if (!Has(4, name))
            return false;
        *value = Peek32();
        Take(4, name + ": " + what + std::to_string(*value));
        return true;
    }

    bool Flag(const std::string& name) {
        if (!Has(4, name))
            return false;
        if (int32_t value = Peek32(); value != 0 && value != 1) {
            return Fail(name, "flag " + std::to_string(value) + " is neither 0 nor 1");
        }
        int32_t value = 0;
        return Int32(name, "", &value);
    }

    bool Text(const std::string& name, bool counted) {
        if (!Has(4, name))
            return false;
        const int32_t length = Peek32();
        if (length < 0) {
            return Fail(name, "length " + std::to_string(length) + " is negative");
        }
        if (counted && length == 0) {
            return Fail(name, "length 0 leaves no room for the NUL of a counted text");
        }
        if (static_cast<size_t>(length) > Left() - 4) {
            return Fail(name, "length " + std::to_string(length) + " runs past the end (" +
                                  std::to_string(Left() - 4) + " bytes left)");
        }
        const auto size = static_cast<size_t>(length);
        const std::span<const uint8_t> bytes = m_bytes.subspan(m_at + 4, size);
        const size_t text_size = counted ? size - 1 : size;
        if (counted && bytes[text_size] != 0) {
            return Fail(name, "the counted text does not end with a NUL");
        }
        for (size_t i = 0; i < text_size; ++i) {
            if (bytes[i] == 0) {
                return Fail(name, "a NUL inside the text, at its byte " + std::to_string(i));
            }
        }
        int32_t ignored = 0;
        Int32(name, "length ", &ignored);
        if (size > 0) {
            Take(size, name + ": " + Quoted(bytes.first(text_size)) + (counted ? " NUL" : ""));
        }
        return true;
    }

    bool List(const std::string& name) {
        if (!Has(4, name))
            return false;
        const int32_t count = Peek32();
        if (count < 0) {
            return Fail(name, "count " + std::to_string(count) + " is negative");
        }
        if (static_cast<size_t>(count) > (Left() - 4) / kSmallestCountedText) {
            return Fail(name, "count " + std::to_string(count) + " runs past the end (" +
                                  std::to_string(Left() - 4) + " bytes left)");
        }
        int32_t ignored = 0;
        Int32(name, "count ", &ignored);
        for (int32_t i = 0; i < count; ++i) {
            if (!Text(name + "[" + std::to_string(i) + "]", true))
                return false;
        }
        return true;
    }

    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
    BlobWalk m_walk;
};

}  // namespace

BlobWalk WalkBlob(std::span<const uint8_t> bytes, vantrel::BlobLayout layout) {
    Walker walker(bytes);
    const char* last = "the start";
    for (const BlobField& field : layout) {
        if (!walker.Field(field)) {
            break;
        }
        last = field.name;
    }
    return walker.Finish(last);
}

std::string Describe(const BlobProblem& problem) {
    return problem.field + " at offset " + std::to_string(problem.offset) + ": " + problem.what;
}

}  // namespace host
