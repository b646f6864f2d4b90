// One WM_MOVING step of a dragged memo against N other memos, through the real
// resident window and memo windows created in this process from a data file
// in the current directory, beside the snapping arithmetic's own time from
// the native snap_bench. Each argument is N, or N:NATIVE_MICROSECONDS.
//   moving_bench 100:0.4 500:1.9 1000:3.8
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>
#include "bench/wine/BenchSupport.h"
#include "tray/TrayWnd.h"

namespace {

// The number of calls that take at least 50 ms.
template <class Call>
int batchSize(Call call) {
    for (int batch = 1;; batch *= 2) {
        double start = seconds();
        for (int i = 0; i < batch; ++i) call();
        if (seconds() - start >= 0.05) return batch;
    }
}

template <class Call>
double microsecondsPerCall(Call call, int batch) {
    double start = seconds();
    for (int i = 0; i < batch; ++i) call();
    return (seconds() - start) * 1e6 / batch;
}

// Microseconds per call of each, the median of seven batches taken in turns,
// so that a busy moment of the machine does not fall on one of them alone.
template <class First, class Second>
std::pair<double, double> microsecondsPer(First first, Second second) {
    const int firstBatch = batchSize(first), secondBatch = batchSize(second);
    std::vector<double> firstTimes, secondTimes;
    for (int round = 0; round < 7; ++round) {
        firstTimes.push_back(microsecondsPerCall(first, firstBatch));
        secondTimes.push_back(microsecondsPerCall(second, secondBatch));
    }
    return {median(firstTimes), median(secondTimes)};
}

struct Row {
    int others;
    double native, step, gather;
};

Row measure(int others, double native) {
    if (!writeBenchMemos(MEMO_FILE_NAME, others + 1)) throw std::runtime_error("cannot write the data file");
    CTrayWnd tray;
    if (!tray.createWindow()) throw std::runtime_error("cannot create the resident window");
    HWND dragged = tray.memoWindows().back()->hwnd();
    RECT from;
    GetWindowRect(dragged, &from);
    // A small move each step, to and fro, as a slow drag proposes them.
    int steps = 0;
    size_t gathered = 0;
    auto [step, gather] = microsecondsPer(
        [&] {
            RECT r = from;
            OffsetRect(&r, steps++ % 2 ? 3 : -3, 2);
            SendMessageA(dragged, WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&r));
        },
        [&] { gathered += tray.getMemoRects(dragged).size(); });
    if (gathered == 0) throw std::runtime_error("no rectangles gathered");
    Row row{others, native, step, gather};
    // "終了(&X)" saves and ends the window; its end posts the quit message.
    SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    return row;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Row> rows;
    try {
        for (int i = 1; i < argc; ++i) {
            char* rest;
            int others = static_cast<int>(strtol(argv[i], &rest, 10));
            double native = *rest == ':' ? atof(rest + 1) : -1;
            rows.push_back(measure(others, native));
            printf("  %d other memos: %.1f us per step\n", others, rows.back().step);
            fflush(stdout);
        }
    } catch (const std::exception& e) {
        fprintf(stderr, "moving_bench: %s\n", e.what());
        return 1;
    }
    if (rows.empty()) return 0;
    printf("\nOne WM_MOVING step of a memo (Wine, in-process), microseconds\n");
    printf("  other memos   step   of it gathering the rectangles   snapping arithmetic (native)\n");
    for (const Row& r : rows) printf("  %11d  %7.1f  %31.1f  %28.2f\n", r.others, r.step, r.gather, r.native);
    const Row& first = rows.front();
    const Row& last = rows.back();
    printf("  target: <= 2 ms per step at %d memos: %s (%.2f ms)\n", last.others,
           last.step <= 2000 ? "met" : "MISSED", last.step / 1000);
    if (rows.size() > 1) {
        // Linear: the cost per other memo stays; a fixed cost only makes the small sizes dearer.
        double perMemoFirst = first.step / first.others, perMemoLast = last.step / last.others;
        printf("  target: linear: %s (%.2f us per other memo at %d, %.2f at %d)\n",
               perMemoLast <= 1.25 * perMemoFirst ? "met" : "MISSED", perMemoFirst, first.others, perMemoLast,
               last.others);
    }
    return 0;
}
