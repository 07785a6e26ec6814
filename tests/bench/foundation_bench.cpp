// Throughput of the foundation's hot paths. Not part of the test suite:
//   cmake --build <dir> --target foundation_bench
//   scripts/wine-run <dir>/foundation_bench.exe
// Each section prints one line "<name>: <MB/s> MB/s (...)"; scripts/bench
// reads the md5 line. MB = 10^6 bytes.
#include "foundation/blowfish.h"
#include "foundation/md5.h"
#include "foundation/packfile.h"
#include "tests/bench/benchclock.h"

#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kMd5Bytes = 256u << 20;
constexpr DWORD kBlowfishBytes = 64u << 20;
constexpr int kRuns = 3;  // best of, to ride out scheduling noise

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
        double t0 = NowSeconds();
        MD5_CTX ctx;
        MD5Init(&ctx);
        MD5Update(&ctx, data.data(), (DWORD)data.size());
        MD5Final(digest, &ctx);
        double dt = NowSeconds() - t0;
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
        double t0 = NowSeconds();
        Blowfish_EncryptBuffer(&ctx, data.data(), (DWORD)data.size());
        double dt = NowSeconds() - t0;
        if (dt < best)
            best = dt;
    }
    Report("blowfish_encrypt", data.size(), best, "");
}

// Reading every block of a keyed container of 50,000 records, the way the
// scanner walks the signature database: open, load, walk, unload.
void BenchContainerRead()
{
    constexpr int kBlocks = 8;
    constexpr int kRecords = 50000;
    char folder[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "cwb", 0, path);
    static const BYTE key[] = "benchmark key 16";

    size_t unpacked = 0;
    {
        CPackFile file;
        file.Open(path, 1, 16, key);
        CPackedRecordBuffer record;
        char text[96];
        for (int b = 0; b < kBlocks; ++b) {
            CPackBlock& block = file.CreateBlock((WORD)(b + 1));
            for (int i = b; i < kRecords; i += kBlocks) {
                std::snprintf(text, sizeof(text), "C:\\Program Files\\Vendor %d\\module%05d.dll", i % 97, i);
                record->SetString(0, text);
                DWORD id = (DWORD)i;
                record->SetEntry(1, &id, 4);
                block.AddRecord(record.Record());
                unpacked += record->GetTotalLength();
            }
        }
        file.Close();
    }

    double best = 1e30;
    int seen = 0;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = NowSeconds();
        CPackFile file;
        file.Open(path, 0, 16, key);
        seen = 0;
        for (int i = 0; i < file.GetBlockCount(); ++i) {
            CPackBlock& block = file.LoadBlock(i);
            for (BYTE* r = block.First(); r; r = block.Next())
                ++seen;
            file.UnloadBlock(i);
        }
        file.Close();
        double dt = NowSeconds() - t0;
        if (dt < best)
            best = dt;
    }
    DeleteFileA(path);
    char extra[64];
    std::snprintf(extra, sizeof(extra), "%d records, %.0f records/s", seen, seen / best);
    Report("container_read", unpacked, best, extra);
}

}  // namespace

int main()
{
    BenchMd5();
    BenchBlowfish();
    BenchContainerRead();
    return 0;
}
