// Walks a provider's blob layout (contract/blob_layout.h) with a reader or a
// writer, so a view and an updater state only where each named field's
// value lives and never the order of the fields:
//
//   ReadLayout(reader, kDynupLayout, {{"host", m_host}, {"password", m_password}});
//   WriteLayout(writer, kDynupLayout, {{"host", host}, {"password", password}});
#pragma once

#include <initializer_list>
#include <optional>
#include <variant>
#include <vector>

#include "contract/blob.h"
#include "contract/blob_layout.h"
#include "text/text.h"

namespace vantrel {

// A field's name and the value it reads into or writes from. Texts go with
// Text (or std::optional<Text>, set only when the field was read), integers
// with int32_t (or std::optional<int32_t>), short integers with uint16_t,
// flags with bool, lists with TextList or std::vector<Text>.
class FieldSlot {
public:
    using Target = std::variant<Text*, std::optional<Text>*, int32_t*, std::optional<int32_t>*,
                                uint16_t*, bool*, TextList*, std::vector<Text>*>;

    template <typename T>
    FieldSlot(const char* name, T& value) : m_name(name), m_target(&value) {}

    const char* Name() const { return m_name; }
    const Target& Value() const { return m_target; }

private:
    const char* m_name;
    Target m_target;
};

// Reads every field of the layout in blob order into the slot of its name.
// A field cut short by the end of the blob leaves its slot, and those of
// the fields after it, as they were; list entries are added to those the
// slot holds. A field without a slot, or a slot of the wrong type, is a
// fault of the caller: HResultError(E_UNEXPECTED).
void ReadLayout(BlobReader& reader, BlobLayout layout, std::initializer_list<FieldSlot> slots);

// Writes every field of the layout in blob order from the slot of its name;
// the same faults as ReadLayout. An unset optional writes an empty value.
void WriteLayout(BlobWriter& writer, BlobLayout layout, std::initializer_list<FieldSlot> slots);

}  // namespace vantrel
