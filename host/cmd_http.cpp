// vantrel http: one GET through the module's own HTTP client, to see what
// a service answers exactly as a provider would.
#include "host/commands.h"
#include "host/connect_to.h"
#include "host/net_failure.h"
#include "http/http_client.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

const char kUsage[] =
    "usage: vantrel http URL [--proxy HOST:PORT] [--connect-to HOST:PORT:HOST2:PORT2]\n"
    "                        [--timeout MS] [-i]\n"
    "Prints the status (-1 when none was read), with -i the header block, then the body.\n"
    "When no status was read, one line on stderr says why. Exit 0 when the request\n"
    "succeeded, 1 when it failed.\n";

int Usage(const char* problem) {
    std::fprintf(stderr, "vantrel http: %s (see vantrel http --help)\n", problem);
    return kExitUsage;
}

// A decimal number in [low, high]; false for anything else.
bool ParseNumber(std::string_view text, unsigned long low, unsigned long high,
                 unsigned long* value) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != text.npos) {
        return false;
    }
    *value = std::strtoul(std::string(text).c_str(), nullptr, 10);
    return *value >= low && *value <= high;
}

// Why a request read no status: the URL the client refuses to send, else
// the platform's last network failure.
std::string WhyNoResponse(const char* url) {
    using namespace vantrel::http;
    std::string canonical;
    ParsedUrl parsed;
    if (!CanonicalizeUrl(url, kCanonicalUrlRoom, &canonical) || !ParseUrl(canonical, &parsed)) {
        return "'" + std::string(url) + "' is not a URL (http://HOST[:PORT]/PATH)";
    }
    if (parsed.scheme != kSchemeHttp) {
        return "only http URLs can be sent, not " +
               (parsed.scheme_name.empty() ? std::string("this one") : parsed.scheme_name + ":");
    }
    if (!CheckRequestUrl(&parsed, DefaultPort(kSchemeHttp))) {
        return "the URL names no host or holds a control character";
    }
    const std::string reason = host::NetFailureReason();
    return reason.empty() ? "no response from the server" : reason;
}

struct HttpArgs {
    const char* url = nullptr;
    std::string proxy_host;
    unsigned long proxy_port = 0;
    unsigned long timeout = 10000;
    bool show_headers = false;
};

enum class ParseOutcome { kRun, kHelp, kUsage };

ParseOutcome ParseArgs(int argc, char** argv, HttpArgs* args) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            return ParseOutcome::kHelp;
        } else if (arg == "-i") {
            args->show_headers = true;
        } else if (arg == "--proxy" && has_value) {
            std::string_view value = argv[++i];
            size_t colon = value.find(':');
            if (colon == value.npos || colon == 0 ||
                !ParseNumber(value.substr(colon + 1), 1, 65535, &args->proxy_port)) {
                Usage("--proxy wants HOST:PORT with a port of 1 to 65535");
                return ParseOutcome::kUsage;
            }
            args->proxy_host = value.substr(0, colon);
        } else if (arg == "--connect-to" && has_value) {
            if (!host::AddConnectTo(argv[++i])) {
                Usage("--connect-to wants HOST:PORT:HOST2:PORT2");
                return ParseOutcome::kUsage;
            }
        } else if (arg == "--timeout" && has_value) {
            if (!ParseNumber(argv[++i], 1, 0xFFFFFFFEul, &args->timeout)) {
                Usage("--timeout wants milliseconds above 0");
                return ParseOutcome::kUsage;
            }
        } else if ((!arg.empty() && arg[0] == '-') || args->url != nullptr) {
            Usage(args->url != nullptr ? "only one URL" : "unknown option or missing value");
            return ParseOutcome::kUsage;
        } else {
            args->url = argv[i];
        }
    }
    if (args->url == nullptr) {
        Usage("a URL is needed");
        return ParseOutcome::kUsage;
    }
    return ParseOutcome::kRun;
}

}  // namespace

int CmdHttp(int argc, char** argv) {
    HttpArgs args;
    switch (ParseArgs(argc, argv, &args)) {
    case ParseOutcome::kHelp:
        std::fputs(kUsage, stdout);
        return kExitOk;
    case ParseOutcome::kUsage:
        return kExitUsage;
    case ParseOutcome::kRun:
        break;
    }
    vantrel::http::HttpClient client;
    if (!args.proxy_host.empty()) {
        client.SetProxy(args.proxy_host.c_str(), static_cast<uint16_t>(args.proxy_port));
    }
    vantrel::http::HttpRequestOptions options;
    options.SetMethod("GET");
    options.timeout = static_cast<uint32_t>(args.timeout);
    host::ForgetNetFailure();
    const bool ok = client.SendRequest(args.url, &options);
    std::printf("%d\n", client.GetStatus());
    if (!ok && client.GetStatus() == -1) {
        std::fprintf(stderr, "vantrel http: %s\n", WhyNoResponse(args.url).c_str());
    }
    if (client.GetStatus() != -1) {
        if (args.show_headers) {
            std::string_view block = client.GetHeaderBlock();
            std::fwrite(block.data(), 1, block.size(), stdout);
        }
        std::fwrite(client.GetBody(), 1, static_cast<size_t>(client.GetBodyLength()), stdout);
    }
    client.Close();
    std::fflush(stdout);
    return ok ? kExitOk : kExitFailure;
}
