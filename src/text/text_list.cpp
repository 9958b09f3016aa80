#include "text/text.h"

#include "text/text_internal.h"

#include <platform/module.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace vantrel {

namespace {

[[noreturn]] void RaiseBoundsFault() {
    RaiseException(EXCEPTION_ARRAY_BOUNDS_EXCEEDED, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    // A non-continuable exception does not come back.
    std::abort();
}

}  // namespace

TextList::~TextList() {
    delete[] m_items;
}

void TextList::Add(const Text& text) {
    // Copy first: if the copy fails, the list is unchanged.
    Text copy = text;
    if (m_count == m_capacity) {
        int capacity = m_capacity == 0 ? 1 : m_capacity * 2;
        std::unique_ptr<Text[]> items(
            detail::GuardAllocation([&] { return new Text[static_cast<size_t>(capacity)]; }));
        for (int i = 0; i < m_count; ++i) {
            items[i] = std::move(m_items[i]);
        }
        delete[] m_items;
        m_items = items.release();
        m_capacity = capacity;
    }
    m_items[m_count++] = std::move(copy);
}

Text& TextList::At(int index) {
    if (index < 0 || index >= m_count) {
        RaiseBoundsFault();
    }
    return m_items[index];
}

const Text& TextList::At(int index) const {
    if (index < 0 || index >= m_count) {
        RaiseBoundsFault();
    }
    return m_items[index];
}

void TextList::RemoveAll() {
    delete[] m_items;
    m_items = nullptr;
    m_count = 0;
    m_capacity = 0;
}

}  // namespace vantrel
