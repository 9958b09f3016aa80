// vantrel-lab: local stand-ins of the six web update services.
//
// Prints "listening 127.0.0.1:PORT" as its first line on stdout, serves
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
    "usage: vantrel-lab [--port N] [--accounts FILE] [--log FILE]\n"
    "  --port N         listen on 127.0.0.1:N (default 0: any free port)\n"
    "  --accounts FILE  accounts to accept (format: see lab/accounts.sample)\n"
    "  --log FILE       append request lines to FILE instead of stderr\n"
    "The first line on stdout is \"listening 127.0.0.1:PORT\". GET /lab/records\n"
    "on the lab shows the record table, which is also printed on stdout when\n"
    "SIGINT or SIGTERM stops the lab.\n";

struct Options {
    long port = 0;
    const char* accounts = nullptr;
    const char* log = nullptr;
};

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
        if (arg == "--port") {
            char* end = nullptr;
            options.port = std::strtol(value, &end, 10);
            if (*value == '\0' || *end != '\0' || options.port < 0 || options.port > 65535) {
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
    VtTcpResult result = LabServer::Create(kAddress, static_cast<WORD>(options.port), &server);
    if (result != VT_TCP_OK) {
        std::fprintf(stderr, "vantrel-lab: cannot listen on %s:%ld (error %d)\n", kAddress,
                     options.port, static_cast<int>(result));
        return 1;
    }
    server->StopOnSignals();
    std::printf("listening %s:%u\n", kAddress, static_cast<unsigned>(server->Port()));
    std::fflush(stdout);

    LabState state(std::move(book));
    server->Serve(state, log_file ? log_file.get() : stderr);
    std::fputs(state.records.Format().c_str(), stdout);
    return 0;
}
