// The memory stream and memory storage of the OLE subset that view state is
// saved in. Expected codes are those Windows' HGLOBAL streams and compound
// files give.
#include <gtest/gtest.h>
#include <platform/ole2.h>

#include <string>

namespace {

template <typename T>
struct Owned {
    T* ptr = nullptr;
    ~Owned() {
        if (ptr != nullptr) {
            ptr->Release();
        }
    }
    T* operator->() const { return ptr; }
};

LARGE_INTEGER Offset(int64_t value) {
    LARGE_INTEGER offset;
    offset.QuadPart = value;
    return offset;
}

std::string ReadAll(IStream* stream) {
    EXPECT_EQ(stream->Seek(Offset(0), STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[64] = {};
    ULONG read = 0xDEAD;
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    return std::string(buffer, read);
}

TEST(MemoryStream, ReadsWritesAndSeeks) {
    // The stand-in has no global memory to wrap: only a new block.
    IStream* refused = reinterpret_cast<IStream*>(1);
    EXPECT_EQ(CreateStreamOnHGlobal(reinterpret_cast<HGLOBAL>(8), TRUE, &refused), E_INVALIDARG);
    EXPECT_EQ(refused, nullptr);
    Owned<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream.ptr), S_OK);
    ULONG written = 0;
    EXPECT_EQ(stream->Write("hello", 5, &written), S_OK);
    EXPECT_EQ(written, 5u);

    struct Case {
        int64_t move;
        DWORD origin;
        HRESULT expected;
        uint64_t position;
    };
    const Case cases[] = {
        {0, STREAM_SEEK_SET, S_OK, 0},
        {2, STREAM_SEEK_CUR, S_OK, 2},
        {-1, STREAM_SEEK_END, S_OK, 4},
        {10, STREAM_SEEK_END, S_OK, 15},  // past the end is allowed
        {-1, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 15},
        {0, 7, STG_E_INVALIDFUNCTION, 15},
    };
    for (const Case& c : cases) {
        ULARGE_INTEGER position{};
        position.QuadPart = 0xFFFF;
        EXPECT_EQ(stream->Seek(Offset(c.move), c.origin, &position), c.expected) << c.move;
        if (c.expected == S_OK) {
            EXPECT_EQ(position.QuadPart, c.position) << c.move;
        }
    }
    // Writing past the end fills the gap with zeros.
    EXPECT_EQ(stream->Write("!", 1, nullptr), S_OK);
    EXPECT_EQ(ReadAll(stream.ptr), std::string("hello\0\0\0\0\0\0\0\0\0\0!", 16));

    char buffer[4] = {};
    ULONG read = 99;
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);  // at the end: nothing
    EXPECT_EQ(read, 0u);
}

TEST(MemoryStorage, NamedStreams) {
    Owned<IStorage> storage;
    EXPECT_EQ(StgCreateDocfile(u"file.stg", STGM_READWRITE, 0, &storage.ptr), STG_E_INVALIDNAME);
    ASSERT_EQ(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage.ptr),
              S_OK);
    constexpr DWORD kWrite = STGM_WRITE | STGM_SHARE_EXCLUSIVE;
    constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
    {
        Owned<IStream> stream;
        ASSERT_EQ(storage->CreateStream(u"Contents", kWrite, 0, 0, &stream.ptr), S_OK);
        ASSERT_EQ(stream->Write("xyz", 3, nullptr), S_OK);
    }
    struct Case {
        const char* what;
        const char16_t* name;
        DWORD mode;
        bool create;
        HRESULT expected;
    };
    const Case cases[] = {
        {"create existing", u"Contents", kWrite, true, STG_E_FILEALREADYEXISTS},
        {"create without exclusive sharing", u"Other", STGM_WRITE, true, STG_E_INVALIDFLAG},
        {"create with a bad name", u"a\\b", kWrite, true, STG_E_INVALIDNAME},
        {"create with an empty name", u"", kWrite, true, STG_E_INVALIDNAME},
        {"open missing", u"Missing", kRead, false, STG_E_FILENOTFOUND},
        {"open with STGM_CREATE", u"Contents", kRead | STGM_CREATE, false, STG_E_INVALIDFLAG},
        {"open in another case", u"CONTENTS", kRead, false, S_OK},
    };
    for (const Case& c : cases) {
        IStream* stream = reinterpret_cast<IStream*>(1);
        HRESULT hr = c.create ? storage->CreateStream(c.name, c.mode, 0, 0, &stream)
                              : storage->OpenStream(c.name, nullptr, c.mode, 0, &stream);
        EXPECT_EQ(hr, c.expected) << c.what;
        EXPECT_EQ(stream != nullptr, hr == S_OK) << c.what;
        if (stream != nullptr) {
            stream->Release();
        }
    }

    Owned<IStream> reopened;
    ASSERT_EQ(storage->OpenStream(u"Contents", nullptr, kRead, 0, &reopened.ptr), S_OK);
    EXPECT_EQ(ReadAll(reopened.ptr), "xyz");
    EXPECT_EQ(reopened->Write("!", 1, nullptr), STG_E_ACCESSDENIED);
}

}  // namespace
