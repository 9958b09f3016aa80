// The settings blobs of the six web providers, field by field in blob order.
#pragma once

#include "contract/blob_layout.h"

namespace vantrel {

inline constexpr BlobField kDipDnsLayout[] = {
    {"host", BlobKind::CountedTextList},
    {"key", BlobKind::CountedText},
};

// DnsExit and Dynam.
inline constexpr BlobField kHostLoginLayout[] = {
    {"host", BlobKind::CountedText},
    {"user", BlobKind::CountedText},
    {"password", BlobKind::CountedText},
};

inline constexpr BlobField kDyFiLayout[] = {
    {"host", BlobKind::CountedTextList},
    {"user", BlobKind::CountedText},
    {"password", BlobKind::CountedText},
    {"offline", BlobKind::Flag},
};

inline constexpr BlobField kDynupLayout[] = {
    {"host", BlobKind::CountedText},
    {"password", BlobKind::CountedText},
};

inline constexpr BlobField kEuroDynDnsLayout[] = {
    {"host", BlobKind::CountedTextList},
    {"user", BlobKind::CountedText},
    {"password", BlobKind::CountedText},
};

}  // namespace vantrel
