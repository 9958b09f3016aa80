// The settings of the two GnuDIP updaters as their SetData reads them from
// a blob, apart from the objects so the reading can be tested on its own.
// A field cut short by the end of the blob keeps the value held before.
#pragma once

#include <cstdint>

#include "contract/blob.h"
#include "providers/gnudip/gnudip_layouts.h"
#include "text/text.h"

namespace vantrel {

// LinuxRC (kLinuxRcLayout): counted texts, kept without their NUL.
struct LinuxRcSettings {
    Text user;
    Text domain;
    Text password;
};
void ReadLinuxRcSettings(BlobReader& reader, LinuxRcSettings& settings);

// Generic GnuDIP2 (kGenGnuDIPLayout): eight fields. An empty server address or update URL
// keeps the one already held; the port is a 16-bit field.
struct GenGnuDIPSettings {
    Text user;
    Text domain;
    Text password;
    int32_t request = 0;    // 0 update, 1 offline, 2 the address the server sees
    int32_t transport = 0;  // 0 TCP form, 1 HTTP form
    Text server;
    uint16_t port = 0;
    Text url;
};
void ReadGenGnuDIPSettings(BlobReader& reader, GenGnuDIPSettings& settings);

}  // namespace vantrel
