// The update flow the six HTTP template providers share: one GET built from
// a fixed URL template, the reply body handed to the provider's parser.
// A provider supplies its settings, its filled request and its parser; the
// flow owns the client and the status.
#pragma once

#include "contract/blob.h"
#include "contract/blob_fields.h"
#include "contract/updater.h"
#include "providers/http/services.h"
#include "text/text.h"

#include <initializer_list>
#include <optional>

namespace vantrel {

// Which replies reach the parser: any status the HTTP client accepts, or
// only exactly 200 (a service that answers 204 for "nothing done").
enum class ReplyStatus { AnyAccepted, Only200 };

struct UpdateRequest {
    Text url;
    Text extra_headers;  // whole lines with CR LF; empty sends none
    ReplyStatus reply_status = ReplyStatus::AnyAccepted;
};

struct Substitution {
    const char* placeholder;
    const Text& value;
};

// "http://", the update host, the template's path and query, then each
// placeholder replaced in the order given. Each ReplaceAll runs over the
// whole URL, so a value holding a later placeholder gets that one filled.
Text FillTemplate(const char* host, const char* path_and_query,
                  std::initializer_list<Substitution> substitutions);

// Trims every stored entry in place and joins them with ",".
Text JoinHosts(TextList& hosts);

// Base64 of "user:password" in one line with padding, kept in place of the
// user name and password themselves.
class BasicCredentials {
public:
    static constexpr int kCapacity = 256;

    // Length -1 and zeros when the encoding needs more than kCapacity.
    void Build(const Text& user, const Text& password);
    bool Fits() const { return m_length >= 0; }
    // "Authorization: Basic ...\r\n".
    Text Header() const;

private:
    char m_text[kCapacity] = {};
    int m_length = 0;
};

// Host name, user name and password in blob order, as DnsExit and Dynam
// keep them; both templates take them in one order: IP, HOST, LOGIN,
// PASSWORD.
struct HostLogin {
    Text host;
    Text user;
    Text password;

    // kHostLoginLayout.
    void Read(BlobReader& reader);
    Text FillTemplate(const char* update_host, const char* path_and_query,
                      const Text& address) const;
};

// A host-name list and the Basic credentials of "user:password", as DyFi
// and EuroDynDns keep them; the user name and password are not kept.
struct HostListAccount {
    TextList hosts;
    BasicCredentials credentials;

    // The user name and password as read from a blob: a blob cut short
    // before both were read leaves the credentials already held.
    void KeepCredentials(const std::optional<Text>& user, const std::optional<Text>& password);
};

class TemplateUpdater : public Updater {
protected:
    explicit TemplateUpdater(const ClassInfo& info) : Updater(info, ProxySupport::Stored) {}

    // The request for one run, or nullopt when the settings cannot make one
    // (credentials that did not fit): the run then ends without sending.
    virtual std::optional<UpdateRequest> BuildRequest(const Text& address) = 0;
    // The reply body up to its first NUL; the flow answers an empty one
    // with status 3 itself. Returns the status and appends to m_message.
    virtual SHORT ParseReply(const Text& reply) = 0;

private:
    HRESULT RunUpdate(const Text& address) final;
};

}  // namespace vantrel
