#include "lab/gnudip.h"

#include "lab/handlers.h"
#include "lab/server.h"

#include <platform/wincrypt.h>

#include <random>

namespace vantrel::lab {

namespace {

// What a request asks, in either form.
struct Ask {
    std::string user;
    std::string digest;
    std::string domain;
    std::string code;
    std::string address;
};

// The answer digit; for request code 2 also the address registered.
struct Answer {
    char digit = '1';
    std::string address;
};

Answer Judge(const Ask& ask, std::string_view salt, std::string_view peer, LabState& state) {
    const Account* account =
        state.accounts.FindByUserAndDomain(Service::kGnuDip, ask.user, ask.domain);
    if (account == nullptr || ask.digest != Md5Hex(Md5Hex(account->password) + "." + std::string(salt))) {
        return {};
    }
    const std::string& host = account->hosts.front();
    if (ask.code == "0" && IsDottedIpv4(ask.address)) {
        state.records.Update(Service::kGnuDip, host, ask.address, false);
        return {'0', ask.address};
    }
    if (ask.code == "1") {
        const Record* record = state.records.Find(Service::kGnuDip, host);
        state.records.Update(Service::kGnuDip, host, record ? record->address : "", true);
        return {'2', ""};
    }
    if (ask.code == "2") {
        state.records.Update(Service::kGnuDip, host, peer, false);
        return {'0', std::string(peer)};
    }
    return {};
}

std::string Sign(const LabState& state, std::string_view salt, std::string_view time) {
    return Md5Hex(state.secret + ":" + std::string(salt) + ":" + std::string(time));
}

Reply Page(const std::string& meta) {
    Reply reply = TextReply(200, "<html><head><title>GnuDIP Update Server</title>\n" + meta +
                                     "</head><body>GnuDIP</body></html>\n");
    reply.content_type = "text/html";
    return reply;
}

std::string Meta(const char* name, const std::string& content) {
    return std::string("<meta name=\"") + name + "\" content=\"" + content + "\">\n";
}

Reply FirstPage(LabState& state) {
    std::string salt = MakeSalt();
    std::string time = std::to_string(state.clock());
    return Page(Meta("salt", salt) + Meta("time", time) + Meta("sign", Sign(state, salt, time)));
}

bool FreshAndSigned(const LabState& state, const std::string& salt, const std::string& time,
                    const std::string& sign) {
    char* end = nullptr;
    long long stamp = std::strtoll(time.c_str(), &end, 10);
    int64_t age = state.clock() - stamp;
    return !time.empty() && *end == '\0' && age >= 0 && age <= kGnuDipSaltSeconds &&
           sign == Sign(state, salt, time);
}

}  // namespace

std::string MakeSalt() {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    std::string salt;
    for (int i = 0; i < 10; ++i) {
        salt += kAlphabet[pick(generator)];
    }
    return salt;
}

std::string Md5Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE value[16] = {};
    DWORD length = sizeof value;
    bool done =
        CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider, CALG_MD5, 0, 0, &hash) &&
        CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                      static_cast<DWORD>(bytes.size()), 0) &&
        CryptGetHashParam(hash, HP_HASHVAL, value, &length, 0);
    if (hash != 0) {
        CryptDestroyHash(hash);
    }
    if (provider != 0) {
        CryptReleaseContext(provider, 0);
    }
    std::string hex;
    for (DWORD i = 0; done && i < length; ++i) {
        hex += kDigits[value[i] >> 4];
        hex += kDigits[value[i] & 0x0F];
    }
    return hex;
}

std::string AnswerGnuDipLine(std::string_view line, std::string_view salt, std::string_view peer,
                             LabState& state) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::vector<std::string> fields = SplitList(std::string(line), ':');
    Answer answer;
    if (fields.size() == 4 || fields.size() == 5) {
        Ask ask{fields[0], fields[1], fields[2], fields[3], fields.size() == 5 ? fields[4] : ""};
        // Only request code 0 carries an address.
        if ((ask.code == "0") == (fields.size() == 5)) {
            answer = Judge(ask, salt, peer, state);
        }
    }
    if (answer.digit == '0' && fields[3] == "2") {
        return "0:" + answer.address + "\n";
    }
    return std::string(1, answer.digit) + "\n";
}

Reply HandleGnuDipHttp(const Request& request, std::string_view peer, LabState& state) {
    std::optional<std::string> salt = request.QueryValue("salt");
    if (!salt) {
        return FirstPage(state);
    }
    Answer answer;
    if (FreshAndSigned(state, *salt, request.QueryValue("time").value_or(""),
                       request.QueryValue("sign").value_or(""))) {
        Ask ask{request.QueryValue("user").value_or(""), request.QueryValue("pass").value_or(""),
                request.QueryValue("domn").value_or(""), request.QueryValue("reqc").value_or(""),
                request.QueryValue("addr").value_or("")};
        answer = Judge(ask, *salt, peer, state);
    }
    std::string meta = Meta("retc", std::string(1, answer.digit));
    if (answer.digit == '0' && request.QueryValue("reqc") == "2") {
        meta += Meta("addr", answer.address);
    }
    return Page(meta);
}

void ServeGnuDipConnection(VTCONNECTION connection, LabState& state, std::FILE* log) {
    char peer[64] = "?";
    VtTcpPeerAddress(connection, peer, sizeof peer);
    const std::string salt = MakeSalt();
    const std::string salt_line = salt + "\n";
    if (VtTcpWrite(connection, salt_line.data(), static_cast<DWORD>(salt_line.size()),
                   kRequestTimeoutMs, nullptr) != VT_TCP_OK) {
        return;
    }
    std::string data;
    size_t line_end = 0;
    std::string reply = "-";
    if (ReadUntil(connection, data, line_end, FindLineEnd) == ReadResult::kComplete) {
        reply = AnswerGnuDipLine(std::string_view(data).substr(0, line_end - 1), salt, peer, state);
        VtTcpWrite(connection, reply.data(), static_cast<DWORD>(reply.size()), kRequestTimeoutMs,
                   nullptr);
        reply.pop_back();
    }
    if (log != nullptr) {
        std::fprintf(log, "%s \"gnudip %s\" %s\n", peer, LoggedLine(data).c_str(), reply.c_str());
        std::fflush(log);
    }
}

}  // namespace vantrel::lab
