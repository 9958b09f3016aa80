// HttpClient against libcurl on the same servers: CPU per small request
// on a new connection each time, and throughput of large bodies by length
// (nginx) and chunked (a loopback peer), at two sizes to show linear cost.
#include "http/http_client.h"
#include "http/response.h"
#include "loopback_server.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

std::string g_peer_dir;
uint16_t g_nginx_port = 0;
// By body size in MiB.
std::map<int, std::unique_ptr<vantrel::testing::LoopbackServer>> g_chunked;

std::string NginxUrl(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(g_nginx_port) + path;
}

std::string ChunkedUrl(int mib) {
    return "http://127.0.0.1:" + std::to_string(g_chunked[mib]->Port()) + "/";
}

std::string LargePath(int mib) { return "/large" + std::to_string(mib) + ".bin"; }

// libcurl's body goes into the client's own buffer type, new for each
// request as the client's is, so both sides grow one realloc block by the
// same rule and the ratio compares the transfers, not the containers.
size_t CurlSink(char* data, size_t size, size_t count, void* target) {
    const size_t n = size * count;
    try {
        static_cast<vantrel::http::ResponseBuffer*>(target)->Append(data, static_cast<int>(n));
    } catch (...) {
        return 0;  // libcurl fails the transfer
    }
    return n;
}

// One GET with libcurl, HTTP/1.0 and a fresh connection as the client makes.
size_t CurlGet(CURL* curl, const std::string& url) {
    vantrel::http::ResponseBuffer body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CurlSink);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    // The client receives 4 KiB at a time (its default read block).
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 4096L);
    if (curl_easy_perform(curl) != CURLE_OK) {
        return 0;
    }
    return static_cast<size_t>(body.Size());
}

size_t VantrelGet(const std::string& url) {
    vantrel::http::HttpClient client;
    if (!client.SendRequest(url.c_str())) {
        return 0;
    }
    return static_cast<size_t>(client.GetBodyLength());
}

void SmallVantrel(benchmark::State& state) {
    const std::string url = NginxUrl("/small.txt");
    for (auto _ : state) {
        if (VantrelGet(url) != 17) {
            state.SkipWithError("request failed");
            break;
        }
    }
}

void SmallCurl(benchmark::State& state) {
    const std::string url = NginxUrl("/small.txt");
    CURL* curl = curl_easy_init();
    for (auto _ : state) {
        if (CurlGet(curl, url) != 17) {
            state.SkipWithError("request failed");
            break;
        }
    }
    curl_easy_cleanup(curl);
}

template <bool kChunked>
void LargeVantrel(benchmark::State& state) {
    const int mib = static_cast<int>(state.range(0));
    const std::string url = kChunked ? ChunkedUrl(mib) : NginxUrl(LargePath(mib));
    for (auto _ : state) {
        size_t n = VantrelGet(url);
        if (n != static_cast<size_t>(mib) << 20) {
            state.SkipWithError("short body");
            break;
        }
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(state.iterations() * (static_cast<int64_t>(mib) << 20));
}

template <bool kChunked>
void LargeCurl(benchmark::State& state) {
    const int mib = static_cast<int>(state.range(0));
    const std::string url = kChunked ? ChunkedUrl(mib) : NginxUrl(LargePath(mib));
    CURL* curl = curl_easy_init();
    for (auto _ : state) {
        size_t n = CurlGet(curl, url);
        if (n != static_cast<size_t>(mib) << 20) {
            state.SkipWithError("short body");
            break;
        }
        benchmark::DoNotOptimize(n);
    }
    curl_easy_cleanup(curl);
    state.SetBytesProcessed(state.iterations() * (static_cast<int64_t>(mib) << 20));
}

BENCHMARK(SmallVantrel);
BENCHMARK(SmallCurl);
BENCHMARK(LargeVantrel<false>)->Name("LengthVantrel")->Arg(64)->Arg(128)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LargeCurl<false>)->Name("LengthCurl")->Arg(64)->Arg(128)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LargeVantrel<true>)->Name("ChunkedVantrel")->Arg(64)->Arg(128)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LargeCurl<true>)->Name("ChunkedCurl")->Arg(64)->Arg(128)->UseRealTime()->Unit(benchmark::kMillisecond);

// A chunked body of mib MiB in 16 KiB chunks, as a streaming server sends it.
std::string ChunkedResponse(int mib) {
    const std::string chunk(16384, 'c');
    std::string text = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    text.reserve((static_cast<size_t>(mib) << 20) + (static_cast<size_t>(mib) << 6) * 10 + 100);
    for (int i = 0; i < mib * 64; ++i) {
        text += "4000\r\n" + chunk + "\r\n";
    }
    return text + "0\r\n\r\n";
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    char scratch[] = "/tmp/vantrel-http-bench.XXXXXX";
    if (mkdtemp(scratch) == nullptr) {
        return 1;
    }
    g_peer_dir = scratch;
    const std::string nginx = std::string(VT_PEERS_DIR) + "/nginx";
    if (!Shell(nginx + " start " + g_peer_dir + "/nginx >/dev/null")) {
        std::fprintf(stderr, "http_bench: nginx did not start\n");
        return 1;
    }
    std::ifstream(g_peer_dir + "/nginx/port") >> g_nginx_port;
    for (int mib : {64, 128}) {
        Shell("head -c " + std::to_string(mib << 20) + " /dev/zero > " + g_peer_dir + "/nginx/www" +
              LargePath(mib));
    }
    // One chunked answer per connection, one server per size.
    using namespace vantrel::testing;
    for (int mib : {64, 128}) {
        g_chunked[mib] = std::make_unique<LoopbackServer>(
            std::vector<Script>{{ReadRequest(), Send(ChunkedResponse(mib)), CloseConnection()}});
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::RunSpecifiedBenchmarks();
    curl_global_cleanup();
    g_chunked.clear();
    Shell(nginx + " stop " + g_peer_dir + "/nginx");
    Shell("rm -rf " + g_peer_dir);
    benchmark::Shutdown();
    return 0;
}
