// Interface IDs of the OLE subset, with the values Windows gives them.
#include <platform/ole2.h>

#define VT_OLE_IID(name, d1, d2, d3, b0, b1, b2, b3, b4, b5, b6, b7) \
    VT_EXTERN_C VT_PLATFORM_API const IID name = {d1, d2, d3, {b0, b1, b2, b3, b4, b5, b6, b7}}
#define VT_OLE_BASE_IID(name, d1) \
    VT_OLE_IID(name, d1, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)

VT_OLE_BASE_IID(IID_IStorage, 0x0000000B);
VT_OLE_BASE_IID(IID_IStream, 0x0000000C);
VT_OLE_BASE_IID(IID_IPersistStorage, 0x0000010A);
VT_OLE_BASE_IID(IID_IPersist, 0x0000010C);
VT_OLE_BASE_IID(IID_IViewObject, 0x0000010D);
VT_OLE_BASE_IID(IID_IOleObject, 0x00000112);
VT_OLE_BASE_IID(IID_IOleInPlaceObject, 0x00000113);
VT_OLE_BASE_IID(IID_IOleWindow, 0x00000114);
VT_OLE_BASE_IID(IID_IOleClientSite, 0x00000118);
VT_OLE_BASE_IID(IID_IOleInPlaceSite, 0x00000119);
VT_OLE_BASE_IID(IID_IViewObject2, 0x00000127);
VT_OLE_IID(IID_ISequentialStream, 0x0C733A30, 0x2A1C, 0x11CE, 0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44,
           0x77, 0x3D);
VT_OLE_IID(IID_IPersistStreamInit, 0x7FD52380, 0x4E07, 0x101B, 0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E,
           0xC7, 0x13);
VT_OLE_IID(IID_ISupportErrorInfo, 0xDF0B3D60, 0x548F, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B,
           0xD1, 0x19);
VT_OLE_IID(IID_IOleControl, 0xB196B288, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D,
           0x07);
