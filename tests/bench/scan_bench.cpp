// Throughput of the full-disk folder walk with a large signature database.
// Not part of the test suite; scripts/scan-bench makes the trees and runs it:
//   scan_bench.exe <tree folder> <work folder> [--split]
// Prints "open+index: <s>", "walk: <files/s> files/s, <MB/s> MB/s (...)".
// MB = 10^6 bytes of .exe and .dll files digested. --split first times the
// steps of the walk one by one with the same system calls (see TimeSteps).
#include "engine/digestpipeline.h"
#include "engine/folderlister.h"
#include "engine/internalscanner.h"
#include "foundation/byteorder.h"
#include "foundation/md5.h"
#include "foundation/packfile.h"
#include "tests/bench/benchclock.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

const int kDigests = 100000;
const int kFileRecords = 100000;

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

// ------------------------------------------------------------ step timing

struct Listing
{
    std::vector<std::string> folders; // ending in a backslash
    std::vector<std::string> entries; // every entry name, dot entries too
    std::vector<std::string> digested; // .exe/.dll paths, lower case
};

HANDLE ListFirst(const std::string& folder, WIN32_FIND_DATAA* data)
{
    return FindFirstFileExA((folder + "*.*").c_str(), FindExInfoBasic, data, FindExSearchNameMatch, NULL,
                            FIND_FIRST_EX_LARGE_FETCH);
}

void List(const std::string& folder, Listing* out)
{
    WIN32_FIND_DATAA data;
    HANDLE find = ListFirst(folder, &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    if (out)
        out->folders.push_back(folder);
    do
    {
        const bool dir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (dir && data.cFileName[0] != '.')
            List(folder + data.cFileName + "\\", out);
        if (!out)
            continue;
        out->entries.push_back(folder + data.cFileName);
        std::string lower = out->entries.back();
        CharLowerBuffA(&lower[0], (DWORD)lower.size());
        if (!dir && (strstr(lower.c_str(), ".exe") || strstr(lower.c_str(), ".dll")))
            out->digested.push_back(lower);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// The walk's listing alone: each folder taken from the lister, its
// subfolders asked for ahead, as the scanner does.
size_t ListAhead(CFolderLister& lister, const std::string& folder)
{
    CFolderListing listing;
    if (!lister.Take(folder, listing))
        return 0;
    std::vector<std::string> subfolders;
    for (size_t i = 0; i < listing.HeldCount(); ++i)
        if ((listing.HeldAttributes(i) & FILE_ATTRIBUTE_DIRECTORY) && listing.HeldName(i)[0] != '.')
            subfolders.push_back(folder + listing.HeldName(i) + "\\");
    lister.Request(subfolders);
    size_t entries = 0;
    const char* name;
    DWORD attributes;
    while (listing.Next(&name, &attributes))
    {
        ++entries;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && name[0] != '.')
            entries += ListAhead(lister, folder + name + "\\");
    }
    return entries;
}

template <class F>
double Best(F f, int runs = 3)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i)
    {
        const double t0 = NowSeconds();
        f();
        best = std::min(best, NowSeconds() - t0);
    }
    return best;
}

// Open, size, read in 256 KiB slices, optionally digest, close.
ULONGLONG ReadOne(const std::string& path, std::vector<BYTE>& buffer, bool read, bool digest)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    ULONGLONG total = 0;
    if (read)
    {
        LARGE_INTEGER size;
        GetFileSizeEx(file, &size);
        MD5_CTX ctx;
        MD5Init(&ctx);
        DWORD got = 0;
        while (ReadFile(file, buffer.data(), (DWORD)buffer.size(), &got, NULL) && got > 0)
        {
            if (digest)
                MD5Update(&ctx, buffer.data(), got);
            total += got;
        }
        BYTE d[16];
        MD5Final(d, &ctx);
    }
    CloseHandle(file);
    return total;
}

double Parallel(const std::vector<std::string>& paths, int threads, bool digest)
{
    return Best([&] {
        std::atomic<size_t> next(0);
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t)
            pool.emplace_back([&] {
                std::vector<BYTE> buffer(256 << 10);
                for (size_t i; (i = next++) < paths.size();)
                    ReadOne(paths[i], buffer, true, digest);
            });
        for (std::thread& t : pool)
            t.join();
    });
}

// Each step of the walk alone, on a warm cache, best of three: what the
// scan thread pays per folder and per entry, and what the digest side pays
// per file, first on one thread, then on all, then through the pipeline.
void TimeSteps(const std::string& tree)
{
    const std::string root = tree + "\\";
    Listing listing;
    List(root, &listing);
    const size_t files = listing.entries.size(), digested = listing.digested.size();
    std::vector<BYTE> buffer(256 << 10);
    ULONGLONG bytes = 0;
    for (const std::string& p : listing.digested)
        bytes += ReadOne(p, buffer, true, false);
    printf("split: %zu folders, %zu entries, %zu .exe/.dll, %.1f MB\n", listing.folders.size(), files, digested,
           bytes / 1e6);
    auto line = [&](const char* what, double s, size_t per) {
        printf("split: %-38s %7.3f s  %6.2f us each\n", what, s, per ? s * 1e6 / per : 0.0);
    };

    line("enumerate (FindFirstFileEx basic)", Best([&] { List(root, NULL); }), files);
    line("probe test.dat per folder", Best([&] {
             for (const std::string& f : listing.folders)
             {
                 HANDLE h = CreateFileA((f + "test.dat").c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, NULL);
                 if (h != INVALID_HANDLE_VALUE)
                     CloseHandle(h);
             }
         }),
         listing.folders.size());
    line("probe and list ahead, CFolderLister", Best([&] {
             CFolderLister lister;
             ListAhead(lister, root);
         }),
         files);
    line("per-entry path, CharLowerBuffA, strstr", Best([&] {
             size_t hits = 0;
             std::string path;
             for (const std::string& e : listing.entries)
             {
                 path = e;
                 CharLowerBuffA(&path[0], (DWORD)path.size());
                 hits += strstr(path.c_str(), ".exe") || strstr(path.c_str(), ".dll");
             }
             volatile size_t kept = hits; // the loop's result is used
             (void)kept;
         }),
         files);
    line("open+close, 1 thread", Best([&] {
             for (const std::string& p : listing.digested)
                 ReadOne(p, buffer, false, false);
         }),
         digested);
    line("open+read+close, 1 thread", Best([&] {
             for (const std::string& p : listing.digested)
                 ReadOne(p, buffer, true, false);
         }),
         digested);
    line("open+read+md5+close, 1 thread", Best([&] {
             for (const std::string& p : listing.digested)
                 ReadOne(p, buffer, true, true);
         }),
         digested);
    std::vector<BYTE> block(64 << 20, 0x5a);
    const double md5 = Best([&] {
        MD5_CTX ctx;
        MD5Init(&ctx);
        MD5Update(&ctx, block.data(), (DWORD)block.size());
        BYTE d[16];
        MD5Final(d, &ctx);
    });
    printf("split: %-38s %7.3f s  (%.0f MB/s in memory)\n", "md5 of the same bytes, 1 thread", md5 * bytes / block.size(),
           block.size() / 1e6 / md5);
    const int threads = (int)std::min<DWORD>(8, std::max<DWORD>(1, std::thread::hardware_concurrency()));
    line("open+read+close, all threads", Parallel(listing.digested, threads, false), digested);
    line("open+read+md5+close, all threads", Parallel(listing.digested, threads, true), digested);
    line("the same through CDigestPipeline", Best([&] {
             CDigestPipeline pipeline;
             std::string path;
             bool ok;
             BYTE d[16];
             for (const std::string& p : listing.digested)
             {
                 while (pipeline.IsFull())
                     pipeline.Pop(path, ok, d, true);
                 pipeline.Push(p);
                 while (pipeline.Pop(path, ok, d, false))
                 {
                 }
             }
             while (pipeline.Pop(path, ok, d, true))
             {
             }
         }),
         digested);
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
    if (argc > 3 && strcmp(argv[3], "--split") == 0)
        TimeSteps(tree);
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
        const double t0 = NowSeconds();
        BYTE key[CInternalScanner::KeyLength];
        CInternalScanner::MakeKey(NULL, key);
        CPackFile file;
        if (!file.Open(db.c_str(), 0, sizeof(key), key))
            return 1;
        scanner.BuildNameIndex(file.GetBlock(33));
        indexed = scanner.GetNameIndexCount();
        best = std::min(best, NowSeconds() - t0);
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
        const double t0 = NowSeconds();
        if (!scanner.StartScan(db.c_str()))
            return 1;
        seconds = std::min(seconds, NowSeconds() - t0);
    }
    printf("walk: %.0f files/s, %.1f MB/s (%llu files, %llu bytes of .exe/.dll, %.3f s)\n", files / seconds,
           bytes / 1e6 / seconds, files, bytes, seconds);
    DeleteFileA(db.c_str());
    return 0;
}
