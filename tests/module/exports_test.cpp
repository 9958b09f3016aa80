// Class objects, unload counting and the packed resources, through the
// built module's exports and file.
#include "contract/class_ids.h"
#include "module_fixture.h"

#include <cstring>

namespace vantrel::test {
namespace {

using ModuleExports = ModuleTest;

TEST_F(ModuleExports, ClassObjectIsCreatedOnceAndShared) {
    for (const ClassIdentity* identity : kClassIdentities) {
        SCOPED_TRACE(identity->name);
        void* objects[2] = {};
        ASSERT_EQ(m_get_class_object(identity->clsid, IID_IClassFactory, &objects[0]), S_OK);
        ASSERT_EQ(m_get_class_object(identity->clsid, IID_IUnknown, &objects[1]), S_OK);
        EXPECT_EQ(objects[0], objects[1]);
        static_cast<IUnknown*>(objects[0])->Release();
        static_cast<IUnknown*>(objects[1])->Release();
    }
    void* result = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_get_class_object(IID_IGView, IID_IClassFactory, &result),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(m_get_class_object(kDipDNSIdentity.clsid, IID_IClassFactory, nullptr), E_POINTER);
    result = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_get_class_object(kDipDNSIdentity.clsid, IID_IGView, &result), E_NOINTERFACE);
    EXPECT_EQ(result, nullptr);
}

TEST_F(ModuleExports, CanUnloadOnlyWithoutObjectsOrLocks) {
    EXPECT_EQ(m_can_unload_now(), S_OK);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(m_get_class_object(kDyFiIdentity.clsid, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(m_can_unload_now(), S_OK);  // a class object is no lock
    IIPUpdate* updater = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IIPUpdate, reinterpret_cast<void**>(&updater)),
              S_OK);
    EXPECT_EQ(m_can_unload_now(), S_FALSE);
    updater->Release();
    EXPECT_EQ(m_can_unload_now(), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(m_can_unload_now(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(m_can_unload_now(), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    factory->Release();
}

std::string_view Resource(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (found == nullptr) {
        return {};
    }
    const void* bytes = LockResource(LoadResource(module, found));
    return {static_cast<const char*>(bytes), SizeofResource(module, found)};
}

uint32_t ReadU32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

TEST_F(ModuleExports, ToolboxBitmapsAre16By16In16Colours) {
    for (int id : {102, 106, 111, 115, 119, 124, 128, 134, 138}) {
        SCOPED_TRACE(id);
        std::string_view bitmap = Resource(m_module, MAKEINTRESOURCEA(id), RT_BITMAP);
        // BITMAPINFOHEADER, 16 palette entries, 16 rows of 8 bytes; no file header.
        ASSERT_EQ(bitmap.size(), 40u + 16 * 4 + 16 * 8);
        EXPECT_EQ(ReadU32(bitmap, 0), 40u);           // biSize
        EXPECT_EQ(ReadU32(bitmap, 4), 16u);           // biWidth
        EXPECT_EQ(ReadU32(bitmap, 8), 16u);           // biHeight, bottom-up
        EXPECT_EQ(ReadU32(bitmap, 12), 0x00040001u);  // biPlanes 1, biBitCount 4
    }
    EXPECT_TRUE(Resource(m_module, MAKEINTRESOURCEA(103), RT_BITMAP).empty());
}

TEST_F(ModuleExports, VersionRecordAndTypeLibrary) {
    std::string record(Resource(m_module, MAKEINTRESOURCEA(1), RT_VERSION));
    for (const char* line :
         {"FileVersion=2.1.0.1\n", "ProductVersion=2.1.0.1\n", "Translation=040904b0\n",
          "[StringFileInfo\\040904b0]\n", "FileDescription=Vantrel\n", "ProductName=Vantrel\n",
          "InternalName=Vantrel.dll\n", "OriginalFilename=Vantrel.dll\n"}) {
        EXPECT_NE(record.find(line), std::string::npos) << line;
    }
    std::string typelib(Resource(m_module, MAKEINTRESOURCEA(1), "TYPELIB"));
    EXPECT_EQ(typelib.rfind("library VantrelLib {C5F11FC7-CA2C-4F69-8D8A-60B1A51F6FD1} 1.0 "
                            "\"Vantrel 1.0 Type Library\"\n",
                            0),
              0u);
    EXPECT_NE(typelib.find(" plain \"IIPUpdate Interface\"\n"), std::string::npos);
    EXPECT_NE(typelib.find(" dual \"IWin2000Obj Interface\"\n"), std::string::npos);
    EXPECT_NE(typelib.find("\"DyFiView Class\" default IDyFiView\n"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::test
