// The settings blobs of LinuxRC and Generic GnuDIP2, in blob order.
#pragma once

#include "contract/blob_layout.h"

namespace vantrel {

inline constexpr BlobField kLinuxRcLayout[] = {
    {"user", BlobKind::CountedText},
    {"domain", BlobKind::CountedText},
    {"password", BlobKind::CountedText},
};

// The server address and update URL are kept by the view, not by an edit
// control, so nothing cuts them at 255 bytes.
inline constexpr BlobField kGenGnuDIPLayout[] = {
    {"user", BlobKind::CountedText},
    {"domain", BlobKind::CountedText},
    {"password", BlobKind::CountedText},
    {"request", BlobKind::Integer},
    {"transport", BlobKind::Integer},
    {"server", BlobKind::BareText, TextLimit::None},
    {"port", BlobKind::ShortInteger},
    {"url", BlobKind::BareText, TextLimit::None},
};

}  // namespace vantrel
