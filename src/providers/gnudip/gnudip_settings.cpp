#include "providers/gnudip/gnudip_settings.h"

#include "contract/blob_fields.h"

namespace vantrel {

void ReadLinuxRcSettings(BlobReader& reader, LinuxRcSettings& settings) {
    ReadLayout(
        reader, kLinuxRcLayout,
        {{"user", settings.user}, {"domain", settings.domain}, {"password", settings.password}});
}

void ReadGenGnuDIPSettings(BlobReader& reader, GenGnuDIPSettings& settings) {
    Text server;
    Text url;
    ReadLayout(reader, kGenGnuDIPLayout,
               {{"user", settings.user},
                {"domain", settings.domain},
                {"password", settings.password},
                {"request", settings.request},
                {"transport", settings.transport},
                {"server", server},
                {"port", settings.port},
                {"url", url}});
    if (!server.IsEmpty()) {
        settings.server = server;
    }
    if (!url.IsEmpty()) {
        settings.url = url;
    }
}

}  // namespace vantrel
