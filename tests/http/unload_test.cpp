// Unloading a module that used the transport undoes its Winsock start-up.
#include <platform/winsock.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

TEST(EventSocket, ModuleUnloadCleansUpWinsock) {
    void* probe = dlopen(VT_UNLOAD_PROBE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(probe, nullptr) << dlerror();
    auto make = reinterpret_cast<void (*)()>(dlsym(probe, "ProbeMakeSocket"));
    ASSERT_NE(make, nullptr);
    make();
    ASSERT_EQ(dlclose(probe), 0);
    // Nothing else in this process started Winsock.
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace
