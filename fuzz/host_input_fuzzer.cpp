// The host's readers of user input. First byte: 0 a blob file, read,
// handed over as the VARIANT SetData takes, and dumped field by field in
// every provider's layout (the walk under the dump has its own target);
// 1 the words of `vantrel settings`, NUL-separated:
// a provider, then key=value settings checked against the provider's keys.
#include "host/blob_dump.h"
#include "host/blob_file.h"
#include "host/page_driver.h"
#include "host/providers.h"
#include "host/settings_keys.h"
#include "providers/layouts.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string& ScratchFile() {
    static const std::string path = [] {
        const char* dir = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/vantrel-host-fuzz-" + std::to_string(getpid()) + ".blob";
    }();
    return path;
}

void BlobFile(const uint8_t* data, size_t size) {
    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string why;
    std::optional<std::vector<BYTE>> bytes = host::ReadBlobFile(ScratchFile(), why);
    std::remove(ScratchFile().c_str());
    if (!bytes || bytes->size() != size || (size != 0 && std::memcmp(bytes->data(), data, size) != 0)) {
        std::abort();
    }
    host::BlobVariant variant(*bytes);
    if (!variant.IsValid() || host::BlobBytes(variant.Value()) != bytes) std::abort();
    for (const host::Provider& provider : host::kProviders) {
        host::DumpBlob(vantrel::LayoutOf(provider.id), *bytes);
    }
}

void Settings(std::string_view words) {
    std::vector<std::string> args;
    for (size_t start = 0; start <= words.size();) {
        size_t end = words.find('\0', start);
        if (end == std::string_view::npos) end = words.size();
        args.emplace_back(words.substr(start, end - start));
        start = end + 1;
    }
    const host::Provider* provider = host::FindProvider(args[0]);
    if (provider == nullptr) {
        return;
    }
    for (size_t i = 1; i < args.size(); ++i) {
        size_t equals = args[i].find('=');
        if (equals == std::string::npos) continue;
        const std::string name = args[i].substr(0, equals);
        const std::string value = args[i].substr(equals + 1);
        for (const host::SettingKey& key : host::KeysOf(*provider)) {
            if (name != key.name || host::CheckValue(key, value)) continue;
            // What the check lets through fits the control it is typed into.
            if ((key.control == host::Control::DigitsEdit && std::strtoll(value.c_str(), nullptr, 10) > 0x7FFFFFFF) ||
                (key.control == host::Control::DialogPort && std::strtol(value.c_str(), nullptr, 10) > 65535)) {
                std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    switch (data[0] % 2) {
        case 0: BlobFile(data + 1, size - 1); break;
        case 1: Settings(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)); break;
    }
    return 0;
}
