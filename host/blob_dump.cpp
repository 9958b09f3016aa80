#include "host/blob_dump.h"

#include <cstdint>
#include <cstdio>

namespace host {

namespace {

constexpr size_t kBytesPerLine = 16;

class Dumper {
public:
    explicit Dumper(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}

    // False when the blob ended inside the field.
    bool Field(const SettingKey& key) {
        switch (key.kind) {
            case BlobKind::TextList: return List(key.name);
            case BlobKind::CountedText: return Text(key.name, true);
            case BlobKind::BareText: return Text(key.name, false);
            case BlobKind::Integer:
            case BlobKind::Flag: {
                int32_t value = 0;
                return Int32(key.name, &value, "");
            }
            case BlobKind::ShortInteger: {
                if (!Has(2, key.name)) return false;
                unsigned value = m_bytes[m_at] | static_cast<unsigned>(m_bytes[m_at + 1]) << 8;
                Line(2, std::string(key.name) + ": " + std::to_string(value));
                return true;
            }
        }
        return false;
    }

    std::string Finish() {
        if (m_at < m_bytes.size()) {
            Line(m_bytes.size() - m_at, "after the last field");
        }
        return m_out;
    }

private:
    bool Has(size_t count, const std::string& name) {
        if (m_bytes.size() - m_at >= count) {
            return true;
        }
        Line(m_bytes.size() - m_at, name + ": cut short (" + std::to_string(count) + " bytes needed)");
        return false;
    }

    bool Int32(const std::string& name, int32_t* value, const char* what) {
        if (!Has(4, name)) return false;
        uint32_t bits = 0;
        for (int i = 3; i >= 0; --i) bits = bits << 8 | m_bytes[m_at + static_cast<size_t>(i)];
        *value = static_cast<int32_t>(bits);
        Line(4, name + ": " + what + std::to_string(*value));
        return true;
    }

    bool Text(const std::string& name, bool counted) {
        int32_t length = 0;
        if (!Int32(name, &length, "length ")) return false;
        if (length <= 0) return true;
        if (!Has(static_cast<size_t>(length), name)) return false;
        std::string text = "\"";
        size_t shown = static_cast<size_t>(length) - (counted && m_bytes[m_at + length - 1] == 0 ? 1 : 0);
        for (size_t i = 0; i < shown; ++i) {
            BYTE b = m_bytes[m_at + i];
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, b >= 0x20 && b < 0x7F && b != '"' && b != '\\' ? "%c" : "\\x%02x", b);
            text += escaped;
        }
        text += "\"";
        if (shown < static_cast<size_t>(length)) text += " NUL";
        Line(static_cast<size_t>(length), name + ": " + text);
        return true;
    }

    bool List(const std::string& name) {
        int32_t count = 0;
        if (!Int32(name, &count, "count ")) return false;
        for (int32_t i = 0; i < count; ++i) {
            if (!Text(name + "[" + std::to_string(i) + "]", true)) return false;
        }
        return true;
    }

    // The bytes from m_at on, 16 to a line, the note on the first.
    void Line(size_t count, const std::string& note) {
        for (size_t done = 0; done < count || done == 0; done += kBytesPerLine) {
            char offset[16];
            std::snprintf(offset, sizeof offset, "%6zu ", m_at + done);
            std::string hex;
            for (size_t i = done; i < count && i < done + kBytesPerLine; ++i) {
                char pair[4];
                std::snprintf(pair, sizeof pair, " %02x", m_bytes[m_at + i]);
                hex += pair;
            }
            if (done == 0) {
                hex.resize(kBytesPerLine * 3, ' ');
                hex += "  " + note;
            }
            m_out += offset + hex + "\n";
            if (count == 0) break;
        }
        m_at += count;
    }

    const std::vector<BYTE>& m_bytes;
    size_t m_at = 0;
    std::string m_out;
};

}  // namespace

std::string DumpBlob(std::span<const SettingKey> keys, const std::vector<BYTE>& bytes) {
    Dumper dumper(bytes);
    for (const SettingKey& key : keys) {
        if (!dumper.Field(key)) {
            break;
        }
    }
    return dumper.Finish();
}

}  // namespace host
