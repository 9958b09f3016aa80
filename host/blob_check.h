// The check update, configure and settings --show make of a blob file
// before the module sees it: a blob that does not walk exactly against
// the provider's layout would be read as other settings than it holds.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "contract/blob_layout.h"
#include "host/providers.h"

namespace host {

// The provider's blob layout, the module's own table.
vantrel::BlobLayout LayoutOf(const Provider& provider);

// False after one line on stderr naming the field and its offset.
bool CheckBlob(const char* command, const Provider& provider, const std::string& path,
               std::span<const uint8_t> bytes);

}  // namespace host
