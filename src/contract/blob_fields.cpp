#include "contract/blob_fields.h"

#include <cstring>
#include <new>
#include <type_traits>

#include "text/error.h"

namespace vantrel {

namespace {

template <typename T>
struct Unwrapped {
    using Type = T;
};
template <typename T>
struct Unwrapped<std::optional<T>> {
    using Type = T;
};

// The C++ type a kind of field goes with; an optional slot holds the same.
template <typename Slot>
bool Holds(BlobKind kind) {
    using T = typename Unwrapped<Slot>::Type;
    switch (kind) {
        case BlobKind::CountedText:
        case BlobKind::BareText:
            return std::is_same_v<T, Text>;
        case BlobKind::Integer:
            return std::is_same_v<T, int32_t>;
        case BlobKind::ShortInteger:
            return std::is_same_v<T, uint16_t>;
        case BlobKind::Flag:
            return std::is_same_v<T, bool>;
        case BlobKind::CountedTextList:
            return std::is_same_v<T, TextList> || std::is_same_v<T, std::vector<Text>>;
    }
    return false;
}

const FieldSlot::Target& SlotOf(const BlobField& field, std::initializer_list<FieldSlot> slots) {
    for (const FieldSlot& slot : slots) {
        if (std::strcmp(slot.Name(), field.name) == 0) {
            return slot.Value();
        }
    }
    ThrowHResult(E_UNEXPECTED);
}

void Add(TextList& list, Text&& entry) {
    list.Add(entry);
}
void Add(std::vector<Text>& list, Text&& entry) {
    try {
        list.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        ThrowHResult(E_OUTOFMEMORY);
    }
}

void ReadField(BlobReader& reader, const BlobField& field, const FieldSlot::Target& target) {
    std::visit(
        [&](auto* value) {
            using Slot = std::remove_pointer_t<decltype(value)>;
            if (!Holds<Slot>(field.kind)) {
                ThrowHResult(E_UNEXPECTED);
            }
            if constexpr (std::is_same_v<Slot, TextList> ||
                          std::is_same_v<Slot, std::vector<Text>>) {
                for (Text& entry : reader.CountedTextList()) {
                    Add(*value, std::move(entry));
                }
            } else if constexpr (std::is_same_v<typename Unwrapped<Slot>::Type, Text>) {
                if (auto text = field.kind == BlobKind::CountedText
                                    ? reader.CountedText()
                                    : reader.BareText(field.limit)) {
                    *value = std::move(*text);
                }
            } else if constexpr (std::is_same_v<typename Unwrapped<Slot>::Type, int32_t>) {
                if (auto number = reader.Integer())
                    *value = *number;
            } else if constexpr (std::is_same_v<Slot, uint16_t>) {
                if (auto number = reader.ShortInteger())
                    *value = *number;
            } else {
                if (auto set = reader.Flag())
                    *value = *set;
            }
        },
        target);
}

void WriteField(BlobWriter& writer, const BlobField& field, const FieldSlot::Target& target) {
    std::visit(
        [&](auto* value) {
            using Slot = std::remove_pointer_t<decltype(value)>;
            if (!Holds<Slot>(field.kind)) {
                ThrowHResult(E_UNEXPECTED);
            }
            if constexpr (std::is_same_v<Slot, TextList> ||
                          std::is_same_v<Slot, std::vector<Text>>) {
                writer.CountedTextList(*value);
            } else if constexpr (std::is_same_v<Slot, std::optional<Text>>) {
                const std::string_view text = *value ? (*value)->View() : std::string_view();
                field.kind == BlobKind::CountedText ? writer.CountedText(text)
                                                    : writer.BareText(text);
            } else if constexpr (std::is_same_v<Slot, Text>) {
                field.kind == BlobKind::CountedText ? writer.CountedText(value->View())
                                                    : writer.BareText(value->View());
            } else if constexpr (std::is_same_v<Slot, std::optional<int32_t>>) {
                writer.Integer(value->value_or(0));
            } else if constexpr (std::is_same_v<Slot, int32_t>) {
                writer.Integer(*value);
            } else if constexpr (std::is_same_v<Slot, uint16_t>) {
                writer.ShortInteger(*value);
            } else {
                writer.Flag(*value);
            }
        },
        target);
}

}  // namespace

void ReadLayout(BlobReader& reader, BlobLayout layout, std::initializer_list<FieldSlot> slots) {
    for (const BlobField& field : layout) {
        ReadField(reader, field, SlotOf(field, slots));
    }
}

void WriteLayout(BlobWriter& writer, BlobLayout layout, std::initializer_list<FieldSlot> slots) {
    for (const BlobField& field : layout) {
        WriteField(writer, field, SlotOf(field, slots));
    }
}

}  // namespace vantrel
