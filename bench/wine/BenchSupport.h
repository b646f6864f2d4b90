// Shared by the benchmarks that run under Wine: the memos they start with,
// the data file made of them, and the clock.
#pragma once
#include <vector>
#include "store/MemoFile.h"

// Memo `index` of the set: three tabs of mixed ASCII and Japanese text of
// everyday lengths, on a 1024 x 768 screen. The same index gives the same
// memo in every program.
StoredMemo benchMemo(int index);

// Writes the first `count` memos of the set to `fileName`, as the program would.
bool writeBenchMemos(const char* fileName, int count);

// Whether the tests run the benchmark (QUILLPAD_BENCH_ONCE is set): each
// figure is then taken once, at the smallest sizes, only to show that the
// benchmark still runs to its end.
bool benchOnce();

// Seconds on the performance counter.
double seconds();

// The middle of the figures (the mean of the two middle ones for an even count).
double median(std::vector<double> figures);
