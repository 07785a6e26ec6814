// Throughput of the full-disk folder walk with a large signature database.
// Not part of the test suite; scripts/scan-bench makes the tree and runs it:
//   scan_bench.exe <tree folder> <work folder>
// Prints "open+index: <s>", "walk: <files/s> files/s, <MB/s> MB/s (...)".
// MB = 10^6 bytes of .exe and .dll files digested.
#include "engine/internalscanner.h"
#include "foundation/byteorder.h"
#include "foundation/packfile.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kDigests = 100000;
const int kFileRecords = 100000;

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

bool AddRecord(CPackBlock& block, const std::vector<std::vector<BYTE>>& fields)
{
    CPackedRecordBuffer buffer;
    buffer->SetEntryCount((int)fields.size());
    for (size_t i = 0; i < fields.size(); ++i)
        if (!fields[i].empty())
            buffer->SetEntry((int)i, fields[i].data(), (int)fields[i].size());
    return block.AddRecord(buffer.GetPtr());
}

std::vector<BYTE> Text(const char* s)
{
    return std::vector<BYTE>(s, s + strlen(s) + 1);
}

bool WriteDatabase(const std::string& path)
{
    BYTE key[CInternalScanner::KeyLength];
    CInternalScanner::MakeKey(NULL, key);
    DeleteFileA(path.c_str());
    CPackFile file;
    if (!file.Open(path.c_str(), 1, sizeof(key), key))
        return false;
    UINT32 x = 2463534242u;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    CPackBlock& programs = file.CreateBlock(1);
    for (int i = 0; i < 100; ++i)
        AddRecord(programs, {std::vector<BYTE>(4, 1), Text("bench program")});
    std::vector<BYTE> registry(10, 0);
    AddRecord(file.CreateBlock(17), {registry, Text("Software\\CwBenchNone")});
    std::vector<BYTE> guarded(14, 0);
    AddRecord(file.CreateBlock(18), {guarded, Text("Software\\CwBenchNone"), Text("v"), Text("g")});
    CPackBlock& files = file.CreateBlock(33);
    std::vector<std::string> names;
    for (int i = 0; i < kFileRecords; ++i)
    {
        char name[32];
        sprintf(name, "bench%08x.exe", (unsigned)next());
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& n : names)
    {
        std::vector<BYTE> f0(28, 0);
        StoreLE16(f0.data(), 1);
        StoreLE32(f0.data() + 4, next() % 100);
        AddRecord(files, {f0, Text(n.c_str())});
    }
    std::vector<BYTE> cookie(4, 0);
    AddRecord(file.CreateBlock(49), {cookie, Text("cw-bench-none*.txt")});
    std::vector<BYTE> host = {0, 0, 0, 0, 203, 0, 113, 1};
    AddRecord(file.CreateBlock(65), {host, Text("bench.invalid")});
    std::vector<std::vector<BYTE>> digests;
    for (int i = 0; i < kDigests; ++i)
    {
        std::vector<BYTE> d(20);
        StoreLE32(d.data(), next() % 100);
        for (int j = 4; j < 20; j += 4)
            StoreLE32(d.data() + j, next());
        digests.push_back(d);
    }
    std::sort(digests.begin(), digests.end(), [](const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
        return memcmp(a.data() + 4, b.data() + 4, 16) < 0;
    });
    CPackBlock& digestBlock = file.CreateBlock(81);
    for (const auto& d : digests)
        AddRecord(digestBlock, {d});
    return file.Close();
}

void SumTree(const std::string& folder, ULONGLONG& files, ULONGLONG& digestBytes)
{
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            SumTree(folder + "\\" + name, files, digestBytes);
        else
        {
            ++files;
            for (char& c : name)
                c = (char)tolower((unsigned char)c);
            if (name.find(".exe") != std::string::npos || name.find(".dll") != std::string::npos)
                digestBytes += ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileA(h, &data));
    FindClose(h);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        fprintf(stderr, "usage: scan_bench <tree folder> <work folder>\n");
        return 2;
    }
    const std::string tree = argv[1];
    const std::string db = std::string(argv[2]) + "\\scan_bench_definitions.bin";
    if (!WriteDatabase(db))
    {
        fprintf(stderr, "scan_bench: cannot write %s\n", db.c_str());
        return 1;
    }

    CInternalScanner scanner;
    double best = 1e9;
    int indexed = 0;
    for (int run = 0; run < 3; ++run)
    {
        const double t0 = Now();
        BYTE key[CInternalScanner::KeyLength];
        CInternalScanner::MakeKey(NULL, key);
        CPackFile file;
        if (!file.Open(db.c_str(), 0, sizeof(key), key))
            return 1;
        scanner.BuildNameIndex(file.GetBlock(33));
        indexed = scanner.GetNameIndexCount();
        best = std::min(best, Now() - t0);
        scanner.ClearNameIndex();
        file.Close();
    }
    printf("open+index: %.3f s (%d file records, %d digests, target < 0.5 s)\n", best, indexed, kDigests);

    ULONGLONG files = 0, bytes = 0;
    SumTree(tree, files, bytes);
    for (int a = 0; a < 7; ++a)
        scanner.SetAreaEnabled(a, a == 4);
    scanner.PrepareUserContext(false);
    scanner.AddPath(tree.c_str());
    // Best of three, as md5sum is timed on a warm cache too.
    double seconds = 1e9;
    for (int run = 0; run < 3; ++run)
    {
        const double t0 = Now();
        if (!scanner.StartScan(db.c_str()))
            return 1;
        seconds = std::min(seconds, Now() - t0);
    }
    printf("walk: %.0f files/s, %.1f MB/s (%llu files, %llu bytes of .exe/.dll, %.3f s)\n", files / seconds,
           bytes / 1e6 / seconds, files, bytes, seconds);
    DeleteFileA(db.c_str());
    return 0;
}
