// Driver for bench/callgrind_dns.sh: N updates of one A record on named
// (started from tests/peers/named), one way, each inside a function that
// callgrind collects alone, so setup and named's start are left out.
//   dns_callgrind ours|ldns N
// ours: Win2000Obj's DoEntryPoint (SOA walk and update). ldns: the floor,
// a bare ldns UPDATE of the same record to the same server, zone known.
#include <stdbool.h>

#include <ldns/ldns.h>
// ldns brings the system's socket headers: the Windows names stay out.
#define VT_WINSOCK_NO_SHORT_NAMES
#include <platform/winsock.h>
#include <vantrel/vantrel.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "contract/blob.h"
#include "contract/com_object.h"
#include "providers/classes.h"

namespace {

const char kAddress[] = "203.0.113.7";

class Named {
public:
    Named() {
        char folder[] = "/tmp/vt-dns-bench-XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            return;
        }
        m_folder = folder;
        FILE* out =
            popen((std::string(VT_NAMED_PEER) + " start " + m_folder + "/named").c_str(), "r");
        unsigned port = 0;
        if (out != nullptr && std::fscanf(out, "%u", &port) == 1) {
            m_port = static_cast<uint16_t>(port);
        }
        if (out != nullptr) {
            pclose(out);
        }
    }
    ~Named() {
        if (!m_folder.empty()) {
            std::system((std::string(VT_NAMED_PEER) + " stop " + m_folder +
                         "/named >/dev/null; rm -rf " + m_folder)
                            .c_str());
        }
    }
    uint16_t Port() const { return m_port; }

private:
    std::string m_folder;
    uint16_t m_port = 0;
};

vantrel::ComPtr<IIPUpdate> MakeUpdater(uint16_t port) {
    VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", port);
    vantrel::BlobWriter writer;
    writer.BareText("127.0.0.1");
    writer.BareText("host.vantrel.test");
    writer.Integer(300);
    writer.BareText("");
    writer.BareText("");
    writer.BareText("");
    writer.Integer(0x10);
    vantrel::ComPtr<IIPUpdate> updater;
    VARIANT value;
    VariantInit(&value);
    if (vantrel::kWin2000ObjClass.create(nullptr, IID_IIPUpdate, updater.PutVoid()) != S_OK ||
        writer.ToVariant(&value) != S_OK) {
        return nullptr;
    }
    updater->SetData(value);
    VariantClear(&value);
    return updater;
}

// Collected by callgrind; keep the names in step with the script.
__attribute__((noinline)) bool CollectOurUpdate(IIPUpdate* updater, BSTR address) {
    SHORT status = 0;
    return updater->DoEntryPoint(address) == S_OK && updater->GetErrorStatus(&status) == S_OK &&
           status == VANTREL_STATUS_ACCEPTED;
}

__attribute__((noinline)) bool CollectLdnsUpdate(ldns_resolver* resolver) {
    ldns_rr_list* updates = ldns_rr_list_new();
    for (const char* text :
         {"host.vantrel.test. 0 NONE A 203.0.113.7", "host.vantrel.test. 300 IN A 203.0.113.7"}) {
        ldns_rr* rr = nullptr;
        ldns_rr_new_frm_str(&rr, text, 0, nullptr, nullptr);
        ldns_rr_list_push_rr(updates, rr);
    }
    ldns_pkt* update = ldns_update_pkt_new(ldns_dname_new_frm_str("vantrel.test."),
                                           LDNS_RR_CLASS_IN, nullptr, updates, nullptr);
    ldns_rr_list_deep_free(updates);
    ldns_pkt_set_random_id(update);
    ldns_pkt_set_rd(update, false);
    ldns_pkt* reply = nullptr;
    const bool ok = ldns_resolver_send_pkt(&reply, resolver, update) == LDNS_STATUS_OK &&
                    ldns_pkt_get_rcode(reply) == LDNS_RCODE_NOERROR;
    ldns_pkt_free(reply);
    ldns_pkt_free(update);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "ours") != 0 && std::strcmp(argv[1], "ldns") != 0)) {
        std::fprintf(stderr, "usage: dns_callgrind ours|ldns N\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    int failures = 0;
    Named named;
    if (named.Port() == 0) {
        std::fprintf(stderr, "dns_callgrind: named did not start\n");
        return 1;
    }
    if (std::strcmp(argv[1], "ours") == 0) {
        vantrel::ComPtr<IIPUpdate> updater = MakeUpdater(named.Port());
        BSTR address = vantrel::Text(kAddress).ToBstr();
        for (int i = 0; i < count; ++i) {
            failures += CollectOurUpdate(updater.Get(), address) ? 0 : 1;
        }
        SysFreeString(address);
    } else {
        ldns_resolver* resolver = ldns_resolver_new();
        ldns_rdf* server = ldns_rdf_new_frm_str(LDNS_RDF_TYPE_A, "127.0.0.1");
        ldns_resolver_push_nameserver(resolver, server);
        ldns_rdf_deep_free(server);
        ldns_resolver_set_port(resolver, named.Port());
        ldns_resolver_set_recursive(resolver, false);
        for (int i = 0; i < count; ++i) {
            failures += CollectLdnsUpdate(resolver) ? 0 : 1;
        }
        ldns_resolver_deep_free(resolver);
    }
    std::printf("%s: %d updates, %d failed\n", argv[1], count, failures);
    return failures == 0 ? 0 : 1;
}
