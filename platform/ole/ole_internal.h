// What the memory stream and storage share: the bytes of one stream, owned
// jointly by every stream object open on them (clones, reopened streams).
#ifndef PLATFORM_OLE_OLE_INTERNAL_H
#define PLATFORM_OLE_OLE_INTERNAL_H

#include <platform/ole2.h>

#include <memory>
#include <string>
#include <vector>

namespace vt::ole {

using Bytes = std::vector<BYTE>;

// A stream over shared bytes. name is what Stat reports (empty for an
// unnamed memory stream); a read-only stream refuses writes.
IStream* NewMemoryStream(std::shared_ptr<Bytes> bytes, std::u16string name, DWORD mode);

// Fills a STATSTG; the name is copied with CoTaskMemAlloc unless
// STATFLAG_NONAME. E_OUTOFMEMORY when the copy fails.
HRESULT FillStat(STATSTG* stat, DWORD flags, const std::u16string& name, DWORD type,
                 uint64_t size, DWORD mode);

}  // namespace vt::ole

#endif  // PLATFORM_OLE_OLE_INTERNAL_H
