// The settings blob of the Windows DNS server provider, in blob order.
#pragma once

#include "contract/blob_layout.h"

namespace vantrel {

inline constexpr BlobField kWin2000Layout[] = {
    {"server", BlobKind::BareText},   {"name", BlobKind::BareText},
    {"ttl", BlobKind::Integer},       {"user", BlobKind::BareText},
    {"password", BlobKind::BareText}, {"domain", BlobKind::BareText},
    {"security", BlobKind::Integer},
};

}  // namespace vantrel
