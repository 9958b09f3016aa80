// The module's class table, in the order registration and class-object
// lookup walk it.
#pragma once

#include <span>

#include "contract/class_info.h"

namespace vantrel {

inline constexpr size_t kClassCount = 18;

std::span<const ClassInfo* const, kClassCount> ClassTable();

}  // namespace vantrel
