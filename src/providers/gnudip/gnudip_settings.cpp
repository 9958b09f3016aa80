#include "providers/gnudip/gnudip_settings.h"

#include <initializer_list>

namespace vantrel {

namespace {

// User, domain and password come first in both blobs.
void ReadCredentials(BlobReader& reader, std::initializer_list<Text*> fields) {
    for (Text* field : fields) {
        if (auto text = reader.CountedText()) {
            *field = *text;
        }
    }
}

}  // namespace

void ReadLinuxRcSettings(BlobReader& reader, LinuxRcSettings& settings) {
    ReadCredentials(reader, {&settings.user, &settings.domain, &settings.password});
}

void ReadGenGnuDIPSettings(BlobReader& reader, GenGnuDIPSettings& settings) {
    ReadCredentials(reader, {&settings.user, &settings.domain, &settings.password});
    for (int32_t* field : {&settings.request, &settings.transport}) {
        if (auto value = reader.Integer()) {
            *field = *value;
        }
    }
    if (auto server = reader.BareText(TextLimit::None); server && !server->IsEmpty()) {
        settings.server = *server;
    }
    if (auto port = reader.ShortInteger()) {
        settings.port = *port;
    }
    if (auto url = reader.BareText(TextLimit::None); url && !url->IsEmpty()) {
        settings.url = *url;
    }
}

}  // namespace vantrel
