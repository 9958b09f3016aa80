#include "http/response.h"

#include "text/error.h"

#include <strings.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace vantrel::http {

void ResponseBuffer::FreeBlock::operator()(char* block) const { std::free(block); }

void ResponseBuffer::TakeFrom(ResponseBuffer& other) {
    if (other.m_heap != nullptr) {
        m_heap = std::move(other.m_heap);
        m_data = m_heap.get();
        m_size = other.m_size;
        m_room = other.m_room;
    } else {
        Clear();
        Append(other.m_data, other.m_size);
    }
    other.m_data = other.m_inline.data();
    other.m_room = kInlineRoom;
    other.Clear();
}

void ResponseBuffer::Clear() {
    m_size = 0;
    m_data[0] = '\0';
}

char* ResponseBuffer::Reserve(int n) {
    if (n < 0 || n > INT_MAX - 1 - m_size) {
        ThrowHResult(E_OUTOFMEMORY);
    }
    int needed = m_size + n + 1;
    if (needed > m_room) {
        int grown = m_room > INT_MAX / 2 ? INT_MAX : m_room * 2;
        grown = std::max({grown, needed, m_room + kMinGrowth});
        const bool was_inline = m_heap == nullptr;
        auto* block = static_cast<char*>(std::realloc(m_heap.get(), static_cast<size_t>(grown)));
        if (block == nullptr) {
            ThrowHResult(E_OUTOFMEMORY);
        }
        m_heap.release();
        m_heap.reset(block);
        if (was_inline) {
            std::memcpy(block, m_inline.data(), static_cast<size_t>(m_size) + 1);
        }
        m_data = block;
        m_room = grown;
    }
    return Tail();
}

char* ResponseBuffer::ReserveUpTo(int n, int* granted) {
    const int left = m_room - m_size - 1;
    if (m_heap == nullptr && left > 0) {
        *granted = std::min(n, left);
        return Tail();
    }
    *granted = n;
    return Reserve(n);
}

void ResponseBuffer::Commit(int n) {
    m_size += n;
    m_data[m_size] = '\0';
}

void ResponseBuffer::Append(const char* bytes, int n) {
    std::memcpy(Reserve(n), bytes, static_cast<size_t>(n));
    Commit(n);
}

size_t NoCaseHash::operator()(const std::string& s) const {
    size_t hash = 14695981039346656037ull;
    for (char c : s) {
        hash = (hash ^ static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c)) *
               1099511628211ull;
    }
    return hash;
}

bool NoCaseEqual::operator()(const std::string& a, const std::string& b) const {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

void Response::Reset() {
    ClearContent();
    status = -1;
}

void Response::ClearContent() {
    buffer.Clear();
    headers.clear();
    challenges.clear();
    body_length = 0;
    header_length = 0;
    header_start = 0;
    scan = 0;
}

const std::string* Response::Header(const std::string& name) const {
    auto found = headers.find(name);
    return found == headers.end() ? nullptr : &found->second;
}

}  // namespace vantrel::http
