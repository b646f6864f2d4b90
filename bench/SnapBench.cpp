// One WM_MOVING step of a dragged memo against 100, 500 and 1,000 other memos
// (200 x 100, in a grid with 60 and 60 pixels between them) and the screen;
// the memo sits in a gap, within reach of one neighbour only. The obstacle
// list is rebuilt for every step, so the step must stay linear and cheap.
#include <benchmark/benchmark.h>
#include <vector>
#include "memo/Snap.h"

namespace {

void BM_OnMovingStep(benchmark::State& state) {
    std::vector<PixelRect> obstacles;
    for (int32_t i = 0; i < int32_t(state.range(0)); ++i) {
        int32_t left = i % 40 * 260, top = i / 40 * 160;
        obstacles.push_back({left, top, left + 200, top + 100});
    }
    obstacles.push_back({0, 0, 1024, 768});
    MemoSnap snap;
    const PixelRect proposed{210, 320, 410, 420};
    for (auto _ : state) {
        PixelRect r = proposed;
        snap.onMoving(r, 20, obstacles);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * obstacles.size()));
}

BENCHMARK(BM_OnMovingStep)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
