// vantrel-lab: local stand-ins of the six web update services and of a
// GnuDIP server.
//
// Prints "listening 127.0.0.1:PORT" as its first line on stdout and
// "listening 127.0.0.1:PORT gnudip" (GnuDIP's TCP form) as its second, serves
// until SIGINT or SIGTERM, then prints the record table on stdout and
// exits 0. Exit 1 when the port cannot be bound or a file cannot be read,
// 2 on a usage error.
#include "lab/server.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using vantrel::lab::AccountBook;
using vantrel::lab::LabServer;
using vantrel::lab::LabState;
using vantrel::lab::ParseAccounts;
using vantrel::lab::ParsedAccounts;

constexpr const char* kAddress = "127.0.0.1";

constexpr const char* kUsage =
    "usage: vantrel-lab [--port N] [--gnudip-port N] [--accounts FILE] [--log FILE]\n"
    "  --port N         listen on 127.0.0.1:N (default 0: any free port)\n"
    "  --gnudip-port N  GnuDIP's TCP form on 127.0.0.1:N (default 0: any free port)\n"
    "  --accounts FILE  accounts to accept (format: see lab/accounts.sample)\n"
    "  --log FILE       append request lines to FILE instead of stderr\n"
    "The first line on stdout is \"listening 127.0.0.1:PORT\", the second\n"
    "\"listening 127.0.0.1:PORT gnudip\". GET /lab/records\n"
    "on the lab shows the record table, which is also printed on stdout when\n"
    "SIGINT or SIGTERM stops the lab.\n";

struct Options {
    long port = 0;
    long gnudip_port = 0;
    const char* accounts = nullptr;
    const char* log = nullptr;
};

bool ParsePort(const char* value, long& port) {
    char* end = nullptr;
    port = std::strtol(value, &end, 10);
    return *value != '\0' && *end == '\0' && port >= 0 && port <= 65535;
}

// 0 when parsed, otherwise the exit code.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return -1;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "vantrel-lab: %s needs a value or is unknown\n%s", argv[i],
                         kUsage);
            return 2;
        }
        const char* value = argv[++i];
        if (arg == "--port" || arg == "--gnudip-port") {
            if (!ParsePort(value, arg == "--port" ? options.port : options.gnudip_port)) {
                std::fprintf(stderr, "vantrel-lab: bad port \"%s\"\n", value);
                return 2;
            }
        } else if (arg == "--accounts") {
            options.accounts = value;
        } else if (arg == "--log") {
            options.log = value;
        } else {
            std::fprintf(stderr, "vantrel-lab: unknown option %s\n%s", argv[i - 1], kUsage);
            return 2;
        }
    }
    return 0;
}

bool LoadAccounts(const char* path, AccountBook& book) {
    if (path == nullptr) {
        std::fprintf(stderr, "vantrel-lab: no --accounts given; every update is refused\n");
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vantrel-lab: cannot read %s: %s\n", path, std::strerror(errno));
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    ParsedAccounts parsed = ParseAccounts(text.str());
    if (!parsed.book) {
        std::fprintf(stderr, "vantrel-lab: %s:%d: %s\n", path, parsed.error_line,
                     parsed.error.c_str());
        return false;
    }
    book = std::move(*parsed.book);
    return true;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int code = ParseOptions(argc, argv, options); code != 0) {
        return code < 0 ? 0 : code;
    }
    AccountBook book;
    if (!LoadAccounts(options.accounts, book)) {
        return 1;
    }
    std::unique_ptr<std::FILE, FileCloser> log_file;
    if (options.log != nullptr) {
        log_file.reset(std::fopen(options.log, "a"));
        if (!log_file) {
            std::fprintf(stderr, "vantrel-lab: cannot open %s: %s\n", options.log,
                         std::strerror(errno));
            return 1;
        }
    }
    std::unique_ptr<LabServer> server;
    VtTcpResult result = LabServer::Create(kAddress, static_cast<WORD>(options.port),
                                           static_cast<WORD>(options.gnudip_port), &server);
    if (result != VT_TCP_OK) {
        std::fprintf(stderr, "vantrel-lab: cannot listen on %s:%ld and :%ld (error %d)\n",
                     kAddress, options.port, options.gnudip_port, static_cast<int>(result));
        return 1;
    }
    server->StopOnSignals();
    std::printf("listening %s:%u\n", kAddress, static_cast<unsigned>(server->Port()));
    std::printf("listening %s:%u gnudip\n", kAddress, static_cast<unsigned>(server->GnuDipPort()));
    std::fflush(stdout);

    LabState state(std::move(book));
    server->Serve(state, log_file ? log_file.get() : stderr);
    std::fputs(state.records.Format().c_str(), stdout);
    return 0;
}
