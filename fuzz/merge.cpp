// Two PCs start from any two files and send each other what they write:
// within a few rounds both write the same bytes, and then neither writes
// again; from files without versions, every text either showed is still shown.
#include <fuzzer/FuzzedDataProvider.h>
#include <cstdlib>
#include <set>
#include "store/MemoSync.h"
#include "tests/support/ShownMemos.h"

namespace {

const LocalTime NOW{2026, 12, 9, 12, 0, 0};

struct Pc {
    MemoSync sync;
    std::vector<StoredMemo> shown;
    Pc(const char* id, const std::string& file) : sync({id, 0}, id) {
        SyncFile loaded;
        parseMemos(file, {}, [&](const StoredMemo& m) { loaded.memos.push_back(m); });
        loaded.tombstones = readTombstones(file);
        shown = sync.load(loaded);
        apply(sync.merge(shown, {}, nullptr, NOW));
    }
    void apply(const MemoSync::Plan& plan) { takePlan(shown, plan); }
    // Takes the other's file; true when it writes one back.
    bool receive(const std::string& file) {
        std::optional<SyncFile> theirs = readSyncFile(file, {});
        if (!theirs) std::abort();  // what a PC writes is whole
        const MemoSync::Plan plan = sync.merge(shown, {}, &*theirs, NOW);
        apply(plan);
        return plan.write;
    }
    // As the file holds them: the writer's own rules change some texts once.
    std::set<std::wstring> texts() const {
        std::set<std::wstring> out;
        parseMemos(formatMemos(shown), {}, [&](const StoredMemo& m) {
            for (const MemoTab& t : m.tabs) out.insert(t.text);
        });
        return out;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string first = input.ConsumeRandomLengthString(size), second = input.ConsumeRemainingBytesAsString();
    Pc a("a", first), b("b", second);
    const std::set<std::wstring> before = [&] {
        std::set<std::wstring> all = a.texts(), more = b.texts();
        all.insert(more.begin(), more.end());
        return all;
    }();
    bool writes = b.receive(a.sync.fileBytes());
    for (int round = 0; round < 3 && writes; ++round) {
        writes = a.receive(b.sync.fileBytes());
        if (writes) writes = b.receive(a.sync.fileBytes());
    }
    if (writes || a.sync.fileBytes() != b.sync.fileBytes()) std::abort();  // still writing, or apart
    if (a.receive(b.sync.fileBytes()) || b.receive(a.sync.fileBytes())) std::abort();
    // Files without versions or tombstones: every text of either is kept. (A
    // file's own versions and tombstones may say that any text is older.)
    bool versioned = !readTombstones(first).empty() || !readTombstones(second).empty();
    for (const std::string* file : {&first, &second})
        parseMemos(*file, {}, [&](const StoredMemo& m) { versioned = versioned || parseMemoVersion(m.MEMO_VERSION); });
    const std::set<std::wstring> after = a.texts();
    for (const std::wstring& t : before)
        if (!versioned && !after.count(t)) std::abort();
    return 0;
}
