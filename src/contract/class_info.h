// One row of the module's class table: identity, provider, resources and
// creation functions. Each provider file defines the rows of its pair.
#pragma once

#include "contract/class_ids.h"
#include "contract/com_object.h"

namespace vantrel {

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

struct ClassInfo {
    const ClassIdentity& identity;
    LONG provider_id;
    WORD registration_resource;
    WORD bitmap_id;  // views only, else 0
    WORD dialog_id;  // views only, else 0
    Aggregation aggregation;
    CreateFunction create;

    bool IsView() const { return identity.kind == ClassKind::View; }
};

}  // namespace vantrel
