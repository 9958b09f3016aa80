// Every provider's settings blob layout by provider ID, for hosts and tests
// that check or annotate a blob. Plain data only: a host compiles it as is.
#pragma once

#include <vantrel/vantrel.h>

#include "providers/gnudip/gnudip_layouts.h"
#include "providers/http/layouts.h"
#include "providers/windns/win2000_layout.h"

namespace vantrel {

// Empty for an ID no provider has.
inline BlobLayout LayoutOf(LONG provider_id) {
    switch (provider_id) {
        case VANTREL_ID_DIPDNS:
            return kDipDnsLayout;
        case VANTREL_ID_DNSEXIT:
        case VANTREL_ID_DYNAM:
            return kHostLoginLayout;
        case VANTREL_ID_DYFI:
            return kDyFiLayout;
        case VANTREL_ID_DYNUP:
            return kDynupLayout;
        case VANTREL_ID_EURODYNDNS:
            return kEuroDynDnsLayout;
        case VANTREL_ID_LINUXRC:
            return kLinuxRcLayout;
        case VANTREL_ID_GENGNUDIP:
            return kGenGnuDIPLayout;
        case VANTREL_ID_WIN2000:
            return kWin2000Layout;
        default:
            return {};
    }
}

}  // namespace vantrel
