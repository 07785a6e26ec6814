// Throughput of the foundation's hot paths. Not part of the test suite:
//   cmake --build <dir> --target foundation_bench
//   scripts/wine-run <dir>/foundation_bench.exe
// Each section prints one line "<name>: <MB/s> MB/s (...)"; scripts/bench
// reads the md5 line. MB = 10^6 bytes.
#include "foundation/blowfish.h"
#include "foundation/md5.h"

#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kMd5Bytes = 256u << 20;
constexpr DWORD kBlowfishBytes = 64u << 20;
constexpr int kRuns = 3;  // best of, to ride out scheduling noise

double Now()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

void FillPseudoRandom(std::vector<BYTE>& buf, UINT32 seed)
{
    UINT32 x = seed ? seed : 1;
    for (BYTE& b : buf) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = (BYTE)(x >> 24);
    }
}

void Report(const char* name, size_t bytes, double seconds, const char* extra)
{
    std::printf("%s: %.1f MB/s (%zu bytes, %.3f s%s%s)\n", name,
                (double)bytes / 1e6 / seconds, bytes, seconds, extra[0] ? ", " : "", extra);
    std::fflush(stdout);
}

void BenchMd5()
{
    std::vector<BYTE> data(kMd5Bytes);
    FillPseudoRandom(data, 0x1234567u);
    double best = 1e30;
    BYTE digest[16] = {};
    for (int run = 0; run < kRuns; ++run) {
        double t0 = Now();
        MD5_CTX ctx;
        MD5Init(&ctx);
        MD5Update(&ctx, data.data(), (DWORD)data.size());
        MD5Final(digest, &ctx);
        double dt = Now() - t0;
        if (dt < best)
            best = dt;
    }
    char hex[40];
    for (int i = 0; i < 16; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    Report("md5", data.size(), best, hex);
}

void BenchBlowfish()
{
    std::vector<BYTE> data(kBlowfishBytes);
    FillPseudoRandom(data, 0x7654321u);
    static const BYTE key[] = "benchmark key 16";
    BLOWFISH_CTX ctx;
    Blowfish_Init(&ctx, key, 16);
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = Now();
        Blowfish_EncryptBuffer(&ctx, data.data(), (DWORD)data.size());
        double dt = Now() - t0;
        if (dt < best)
            best = dt;
    }
    Report("blowfish_encrypt", data.size(), best, "");
}

// ---------------------------------------------------------------------------
// Container read benchmark: add BenchContainerRead() here and call it from
// main() at the marked place below.
// ---------------------------------------------------------------------------

}  // namespace

int main()
{
    BenchMd5();
    BenchBlowfish();
    // --- container read section goes here: BenchContainerRead(); ---
    return 0;
}
