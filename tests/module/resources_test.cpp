// The resources packed into the module file; the host's info command reads
// them as a data file.
#include <cstring>

#include "module_fixture.h"

namespace vantrel::test {
namespace {

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

using ModuleResources = ModuleTest;

TEST_F(ModuleResources, ToolboxBitmapsAre16By16In16Colours) {
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

TEST_F(ModuleResources, VersionRecordAndTypeLibrary) {
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
