// Loading and saving a data file of 1,000 memos x 10 tabs x about 1 KB of
// Shift-JIS and ASCII text (about 10 MB), with the baselines in the same run:
// a bare std::getline loop over the file for loading, one fwrite and one flush
// of the same bytes for saving. Targets: load at least half the getline speed,
// save (flush and replace included) within 3x the fwrite time. Then one save
// of 500 such memos with and without a generation (a hard link of the old
// file, and retention's appearance at the backup folder): the generation should add
// almost nothing.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include "store/Generations.h"
#include "store/MemoFile.h"
#include "store/DataFile.h"
#include "store/ShiftJis.h"
#include "tests/support/SaveMemoFile.h"

namespace {

std::vector<StoredMemo> generateMemos(size_t count) {
    // Shift-JIS words (あいうえお, 漢字, 日本語のテキスト, 新規メモ) and ASCII ones.
    const std::string words[] = {
        "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8", "\x8A\xBF\x8E\x9A",
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67", "\x90\x56\x8B\x4B\x83\x81\x83\x82",
        "meeting", "TODO:", "2024-05-01", "call back", "memo", "x",
    };
    std::mt19937 rng(12345);
    std::uniform_int_distribution<size_t> word(0, std::size(words) - 1), lineLength(20, 90);
    std::vector<StoredMemo> memos(count);
    for (size_t i = 0; i < memos.size(); ++i) {
        StoredMemo& m = memos[i];
        m.CAPTION = sjis::decode(words[word(rng)] + " " + std::to_string(i));
        m.RECT_LEFT = int32_t(i % 800), m.RECT_TOP = int32_t(i % 600);
        m.RECT_RIGHT = m.RECT_LEFT + 300, m.RECT_BOTTOM = m.RECT_TOP + 150;
        for (int t = 0; t < 10; ++t) {
            MemoTab tab{L"", sjis::decode(words[word(rng)])};
            while (tab.text.size() < 1000) {
                std::string line;
                for (size_t len = lineLength(rng); line.size() < len;) line += words[word(rng)] + " ";
                tab.text += sjis::decode(line + "\r\n");
            }
            m.tabs.push_back(std::move(tab));
        }
    }
    return memos;
}

struct Fixture {
    std::string dir, dataFile, scratchFile;
    std::vector<StoredMemo> memos = generateMemos(1000);
    std::string bytes = formatMemos(memos);

    Fixture() {
        char pattern[] = "/tmp/quillpad-bench-XXXXXX";
        dir = mkdtemp(pattern);
        dataFile = dir + "/Quillpad.dat";
        scratchFile = dir + "/plain.dat";
        saveMemoFile(dataFile.c_str(), memos);
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void setBytes(benchmark::State& state) { state.SetBytesProcessed(int64_t(state.iterations() * fixture().bytes.size())); }

void BM_LoadMemoFile(benchmark::State& state) {
    size_t tabs = 0;
    for (auto _ : state) {
        loadMemoFile(fixture().dataFile.c_str(), {}, [&](const StoredMemo& m) { tabs += m.tabs.size(); });
    }
    benchmark::DoNotOptimize(tabs);
    setBytes(state);
}

void BM_GetlineBaseline(benchmark::State& state) {
    size_t total = 0;
    for (auto _ : state) {
        std::ifstream in(fixture().dataFile, std::ios::binary);
        for (std::string line; std::getline(in, line);) total += line.size();
    }
    benchmark::DoNotOptimize(total);
    setBytes(state);
}

void BM_SaveMemoFile(benchmark::State& state) {
    for (auto _ : state) {
        if (!saveMemoFile(fixture().dataFile.c_str(), fixture().memos)) state.SkipWithError("save failed");
    }
    setBytes(state);
}

// The program's save: the data file compared with what was last written
// (read and hashed whenever the size is the same), then replaced.
void BM_DataFileSave(benchmark::State& state) {
    const std::string bytes = formatMemos(fixture().memos);
    DataFile data(fixture().dataFile);
    data.load({}, [](const StoredMemo&) {});
    for (auto _ : state) {
        if (!data.save(bytes, false)) state.SkipWithError("save failed");
    }
    setBytes(state);
}

// One fwrite and one flush of the file's bytes; with Sync the flush goes on
// to the disk (fsync), as the save's does.
template <bool Sync>
void BM_FwriteBaseline(benchmark::State& state) {
    const std::string& bytes = fixture().bytes;
    for (auto _ : state) {
        FILE* f = std::fopen(fixture().scratchFile.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fflush(f);
        if (Sync) fsync(fileno(f));
        std::fclose(f);
    }
    setBytes(state);
}

// A save of 500 memos; with the argument 1 each save keeps a generation of
// the file it replaces. Each save writes a caption of its own: a file whose
// bytes the newest generation holds already is not kept again.
void BM_Save500(benchmark::State& state) {
    std::vector<StoredMemo> memos = generateMemos(500);
    const bool keep = state.range(0) != 0;
    char pattern[] = "/tmp/quillpad-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern), dataFile = dir + "/Quillpad.dat";
    saveMemoFile(dataFile.c_str(), memos);
    generations::GenerationRun run;
    for (auto _ : state) {
        memos[0].CAPTION = std::to_wstring(state.iterations());
        const bool saved =
            keep ? run.save(dataFile.c_str(), formatMemos(memos), true) : saveMemoFile(dataFile.c_str(), memos);
        if (!saved) {
            state.SkipWithError("save failed");
            break;
        }
        if (keep && run.lastKeep() != generations::KeepResult::Made) {
            state.SkipWithError("no generation");
            break;
        }
    }
    state.counters["generations"] = double(generations::listGenerations(dataFile.c_str()).size());
    std::filesystem::remove_all(dir);
}

BENCHMARK(BM_GetlineBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadMemoFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_FwriteBaseline, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_FwriteBaseline, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveMemoFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DataFileSave)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save500)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Shows the runs as usual and keeps each one's time for the summary; a run
// that reports an error fails the program, so that the tests see it.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;
    bool failed = false;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            ms[r.benchmark_name()] = r.GetAdjustedRealTime();
            failed |= r.error_occurred;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fixture();  // made before the first run, which would count it
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    auto& ms = collector.ms;
    const double mb = fixture().bytes.size() / 1e6;
    auto speed = [&](const char* name) { return mb / (ms[name] / 1000); };
    std::printf("\nfile: %.1f MB, %zu memos\n", mb, fixture().memos.size());
    if (ms.count("BM_LoadMemoFile/real_time") && ms.count("BM_GetlineBaseline/real_time")) {
        double ratio = speed("BM_LoadMemoFile/real_time") / speed("BM_GetlineBaseline/real_time");
        std::printf("load: %.0f MB/s, getline: %.0f MB/s, ratio %.2f (target >= 0.5): %s\n",
                    speed("BM_LoadMemoFile/real_time"), speed("BM_GetlineBaseline/real_time"), ratio,
                    ratio >= 0.5 ? "met" : "MISSED");
    }
    for (const char* baseline : {"BM_FwriteBaseline<false>/real_time", "BM_FwriteBaseline<true>/real_time"}) {
        if (!ms.count("BM_SaveMemoFile/real_time") || !ms.count(baseline)) continue;
        double ratio = ms["BM_SaveMemoFile/real_time"] / ms[baseline];
        std::printf("save: %.1f ms (%.0f MB/s), %s: %.1f ms, ratio %.2f (target <= 3): %s\n",
                    ms["BM_SaveMemoFile/real_time"], speed("BM_SaveMemoFile/real_time"), baseline, ms[baseline], ratio,
                    ratio <= 3 ? "met" : "MISSED");
    }
    if (ms.count("BM_Save500/0/real_time") && ms.count("BM_Save500/1/real_time")) {
        std::printf("save of 500 memos: %.2f ms without a generation, %.2f ms with one (%+.2f ms)\n",
                    ms["BM_Save500/0/real_time"], ms["BM_Save500/1/real_time"],
                    ms["BM_Save500/1/real_time"] - ms["BM_Save500/0/real_time"]);
    }
    benchmark::Shutdown();
    return collector.failed ? 1 : 0;
}
