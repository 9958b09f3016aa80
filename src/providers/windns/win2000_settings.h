// The settings of the Win2000Obj updater as its SetData reads them from a
// blob, apart from the object so the reading can be tested on its own.
#pragma once

#include "contract/blob.h"
#include "providers/windns/win2000_layout.h"
#include "text/text.h"

namespace vantrel {

struct Win2000Settings {
    static constexpr LONG kDefaultTimeToLive = 300;
    // The DNS API's DNS_UPDATE_SECURITY_USE_DEFAULT.
    static constexpr LONG kSecurityUseDefault = 0;

    Text server;
    Text record_name;
    LONG time_to_live = kDefaultTimeToLive;
    Text user;
    Text password;
    Text user_domain;
    LONG security = kSecurityUseDefault;
};

// kWin2000Layout: bare texts of exactly their L bytes (L may be 0) and two integers taken
// as they are. A field cut short by the end of the blob keeps its value.
void ReadWin2000Settings(BlobReader& reader, Win2000Settings& settings);

}  // namespace vantrel
