// Scheme operations on generated files of 700, 32767 and 200000 lines, and the adapter rule on
// a 1000-line listing. Each benchmark reports floor_us, the time to read and decode the same
// input once (measured in the same run), and x_floor, its own time per operation over that.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "netconfig/adapter_names.h"
#include "schemes/scheme_file.h"
#include "textfile/codepage936.h"
#include "textfile/file_path.h"
#include "textfile/read_lines.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Encode(const std::wstring& text) { return Codepage936().Encode(text).bytes; }

// The cheapest of a few runs of `work`, in seconds.
template <typename Work>
double Fastest(Work work) {
    double best = 1e9;
    for (int i = 0; i < 15; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// A scheme file of `lines` lines: seven-line blocks "办公室 N", like a long-used file.
struct SchemeFile {
    std::filesystem::path path;
    std::string bytes;
    std::wstring middleName;
    double floor = 0;
};

const SchemeFile& FileOf(size_t lines) {
    static std::map<size_t, SchemeFile> files;
    auto found = files.find(lines);
    if (found != files.end()) return found->second;
    SchemeFile file;
    file.path = std::filesystem::temp_directory_path() / ("scheme-bench-" + std::to_string(lines) + ".kvo");
    std::wstring text;
    for (size_t block = 0; block * 7 < lines; ++block) {
        const std::wstring n = std::to_wstring(block);
        text += L"name:办公室 " + n + L"\r\nIP:192.168." + std::to_wstring(block % 256) +
                L".23\r\n掩码:255.255.255.0\r\n"
                L"网关:192.168.1.1\r\n首选:192.168.1.1\r\n备选:114.114.114.114\r\n\r\n";
        if (block == lines / 14) file.middleName = L"办公室 " + n;
    }
    file.bytes = Encode(text);
    // Cut to exactly `lines` lines.
    size_t end = 0;
    for (size_t i = 0; i < lines; ++i) end = file.bytes.find('\n', end) + 1;
    file.bytes.resize(end);
    std::ofstream(file.path, std::ios::binary)
        .write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    auto fs = MakeSystemFileSystem();
    const FilePath path = file.path.wstring();
    file.floor = Fastest([&] { benchmark::DoNotOptimize(ReadTextLines(*fs, path)); });
    return files.emplace(lines, std::move(file)).first->second;
}

// Times the loop itself and reports it against the floor.
class Timed {
public:
    Timed(benchmark::State& state, double floor) : state_(state), floor_(floor), start_(Clock::now()) {}
    ~Timed() {
        const double each = std::chrono::duration<double>(Clock::now() - start_).count() /
                            static_cast<double>(std::max<benchmark::IterationCount>(state_.iterations(), 1));
        state_.counters["floor_us"] = floor_ * 1e6;
        state_.counters["x_floor"] = each / floor_;
    }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    benchmark::State& state_;
    double floor_;
    Clock::time_point start_;
};

void ListNames(benchmark::State& state) {
    const SchemeFile& file = FileOf(static_cast<size_t>(state.range(0)));
    auto fs = MakeSystemFileSystem();
    const FilePath path = file.path.wstring();
    Timed timed(state, file.floor);
    for (auto _ : state) benchmark::DoNotOptimize(ListSchemeNames(ReadTextLines(*fs, path).lines));
}

void LoadPicked(benchmark::State& state) {
    const SchemeFile& file = FileOf(static_cast<size_t>(state.range(0)));
    auto fs = MakeSystemFileSystem();
    const FilePath path = file.path.wstring();
    Timed timed(state, file.floor);
    for (auto _ : state) benchmark::DoNotOptimize(LoadSchemeWrites(ReadTextLines(*fs, path).lines, file.middleName));
}

// Add as the window does it: open for append, one write, close, then the list again.
void AddScheme(benchmark::State& state) {
    const SchemeFile& file = FileOf(static_cast<size_t>(state.range(0)));
    const auto copy = file.path.string() + ".add";
    std::filesystem::copy_file(file.path, copy, std::filesystem::copy_options::overwrite_existing);
    auto fs = MakeSystemFileSystem();
    const FilePath path = std::filesystem::path(copy).wstring();
    Codepage936 codepage;
    Timed timed(state, file.floor);
    for (auto _ : state) {
        const EncodedBlock block = EncodeSchemeBlock(L"实验室", kDefaultFields, codepage);
        std::unique_ptr<AppendFile> out;
        (void)fs->OpenForAppend(path, out);
        (void)out->Append(block.bytes, "\r\n");
        (void)out->Close();
        benchmark::DoNotOptimize(ListSchemeNames(ReadTextLines(*fs, path).lines));
        state.PauseTiming();
        std::filesystem::resize_file(copy, file.bytes.size());
        state.ResumeTiming();
    }
    std::filesystem::remove(copy);
}

// Delete up to handing the new content to the system: read, find, build the rewritten file.
void DeletePrepare(benchmark::State& state) {
    const SchemeFile& file = FileOf(static_cast<size_t>(state.range(0)));
    auto fs = MakeSystemFileSystem();
    const FilePath path = file.path.wstring();
    const std::string prefix = Encode(DeletedLinePrefix(L"2026/12/7", L"9:05:03"));
    Timed timed(state, file.floor);
    for (auto _ : state) {
        const LoadedLines loaded = ReadTextLines(*fs, path);
        const auto line = FindLastNameLine(loaded.lines, file.middleName);
        benchmark::DoNotOptimize(RewriteWithMarkedLine(loaded.lines, *line, prefix));
    }
}

// The rest of a delete: temporary file, flush to the disk, the check that nobody changed the
// file since it was read, replace. Depends on the disk.
void DeleteCommit(benchmark::State& state) {
    const SchemeFile& file = FileOf(static_cast<size_t>(state.range(0)));
    const auto target = file.path.string() + ".del";
    auto fs = MakeSystemFileSystem();
    const FilePath path = std::filesystem::path(target).wstring();
    (void)RewriteFile(*fs, path, file.bytes);
    Timed timed(state, file.floor);
    for (auto _ : state) (void)RewriteFile(*fs, path, file.bytes, file.bytes);
    std::filesystem::remove(target);
}

void AdapterRule(benchmark::State& state) {
    std::wstring listing =
        L"\r\n管理员状态     状态          类型             接口名称\r\n"
        L"-------------------------------------------------------------------------\r\n";
    for (int i = 0; i < 1000 - 3; ++i)
        listing += (i % 3 ? L"已启用            已连接            专用               以太网 "
                          : L"已禁用            已断开连接        专用               WLAN ") +
                   std::to_wstring(i) + L"\r\n";
    const std::string bytes = Encode(listing);
    Codepage936 codepage;
    const double floor = Fastest([&] { benchmark::DoNotOptimize(codepage.Decode(bytes)); });
    Timed timed(state, floor);
    for (auto _ : state) benchmark::DoNotOptimize(AdapterNames(codepage.Decode(bytes)));
}

void Sizes(benchmark::internal::Benchmark* b) { b->Arg(700)->Arg(32767)->Arg(200000)->Unit(benchmark::kMicrosecond); }

}  // namespace

BENCHMARK(ListNames)->Apply(Sizes);
BENCHMARK(LoadPicked)->Apply(Sizes);
BENCHMARK(AddScheme)->Apply(Sizes);
BENCHMARK(DeletePrepare)->Apply(Sizes);
BENCHMARK(DeleteCommit)->Apply(Sizes);
BENCHMARK(AdapterRule)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
