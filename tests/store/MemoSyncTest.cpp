#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include "store/MemoSync.h"
#include "store/ShiftJis.h"
#include "tests/support/ShownMemos.h"

namespace {

const LocalTime NOW{2026, 12, 9, 12, 0, 0};

unsigned idCount = 0;  // identities in the order made, so that a seed replays alike
StoredMemo memo(const std::wstring& text, int32_t left = 0) {
    StoredMemo m;
    char id[17];
    std::snprintf(id, sizeof id, "%016x", ++idCount);
    m.MEMO_ID = id, m.CAPTION = L"M", m.tabs = {{text + L"\r\n", L"t"}};
    m.RECT_LEFT = left, m.RECT_RIGHT = left + 100, m.RECT_BOTTOM = 100;
    return m;
}
std::wstring textOf(const StoredMemo& m) { return m.tabs.at(0).text.substr(0, m.tabs.at(0).text.size() - 2); }

// One PC: the memos its windows show, its rules, its folder's file and conflict copies.
struct Pc {
    std::string id;
    uint32_t kept = 0;  // the count its settings folder keeps
    MemoSync sync;
    std::vector<StoredMemo> shown;
    std::string file, lastSeen;  // and the file as it last wrote or took it
    std::vector<std::string> copies;
    std::string pinned;  // a memo being edited
    int writes = 0;
    bool previousVersion = false;  // reads the file once, writes it without identities

    explicit Pc(std::string pcId) : id(pcId), sync(rules()) {}
    MemoSync rules() { return MemoSync({id, kept}, "PC" + id, [this](const PcIdentity& pc) { kept = pc.counted; }); }
    // After a conflict copy the program writes even the same bytes: the
    // engine then carries the merge back to the PC whose copy it was.
    bool write(const std::string& bytes, bool evenIfSame = false) {
        if (bytes == file && !evenIfSame) return false;
        file = lastSeen = bytes;
        return ++writes;
    }
    // A save after a change here (`userChange`), or the watch's look.
    bool save(bool userChange, const SyncFile* copy = nullptr) {
        if (previousVersion) {
            std::vector<StoredMemo> plain = shown;
            for (StoredMemo& m : plain) m.MEMO_ID.clear(), m.MEMO_VERSION.clear();
            return userChange && write(formatMemos(plain));
        }
        std::optional<SyncFile> theirs;
        if (!copy && file != lastSeen) theirs = readSyncFile(file, {});
        if (theirs && theirs->memos.empty() && theirs->tombstones.empty()) theirs.reset();  // no version to take
        if (!userChange && !theirs && !copy && !sync.behind()) return false;
        const MemoSync::Plan plan = sync.merge(shown, pinned.empty() ? std::vector<std::string>{} : std::vector{pinned},
                                               copy ? copy : theirs ? &*theirs : nullptr, NOW);
        takePlan(shown, plan);
        if (theirs) lastSeen = file;
        return plan.write && write(sync.fileBytes(), copy != nullptr);
    }
    void start() {
        SyncFile loaded;
        parseMemos(file, {}, [&](const StoredMemo& m) { loaded.memos.push_back(m); });
        loaded.tombstones = readTombstones(file);
        sync = rules();
        shown = sync.load(loaded);
        lastSeen = file, pinned.clear();
    }
    // What it shows, sorted: equal on PCs that agree.
    std::string showing() const {
        std::vector<std::string> out;
        for (const StoredMemo& m : shown)
            out.push_back(m.MEMO_ID + sjis::encode(m.CAPTION) + "/" + sjis::encode(textOf(m)) + "@" + std::to_string(m.RECT_LEFT));
        std::sort(out.begin(), out.end());
        std::string joined;
        for (const std::string& s : out) joined += s + " ";
        return joined;
    }
    std::set<std::wstring> texts() const {
        std::set<std::wstring> out;
        for (const StoredMemo& m : shown) out.insert(textOf(m));
        return out;
    }
};

}  // namespace

// The faults two PCs met through a real engine, a row each: what A and B do,
// then they send each other their files until they agree; the texts both
// show, and how many copies captioned with a PC's name.
TEST(MemoSync, TwoPcsAgree) {
    auto edit = [](Pc& pc, size_t i, const std::wstring& text) { pc.shown.at(i).tabs.at(0).text = text + L"\r\n", pc.save(true); };
    auto send = [](Pc& from, Pc& to) { to.file = from.file, to.save(false); };
    auto drop = [](Pc& pc) { pc.shown.erase(pc.shown.begin()), pc.save(true); };
    using Steps = std::function<void(Pc& a, Pc& b, const std::vector<StoredMemo>& start)>;
    const struct Row {
        const char* what;
        Steps steps;
        std::set<std::wstring> texts;
        size_t copies;
    } rows[] = {
        {"both edit the same memo", [&](Pc& a, Pc& b, auto&) { edit(a, 0, L"A"), edit(b, 0, L"B"), send(a, b); }, {L"A", L"B", L"2"}, 1},
        {"a text back to an earlier state", [&](Pc& a, Pc& b, auto&) { edit(a, 0, L"x"), send(a, b), edit(a, 0, L"1"), send(a, b); },
         {L"1", L"2"}, 0},
        {"a stale file after new memos", [&](Pc& a, Pc& b, auto&) {
             const std::string stale = a.file;
             a.shown.push_back(memo(L"new")), a.save(true), send(a, b), edit(b, 1, L"B");
             b.file = stale, b.save(false); }, {L"1", L"B", L"new"}, 0},
        {"a restore reaches the other PC", [&](Pc& a, Pc& b, auto& start) { edit(a, 0, L"x"), send(a, b), a.shown = start, a.save(true); },
         {L"1", L"2"}, 0},
        {"a file still being written", [&](Pc& a, Pc& b, auto&) {
             edit(a, 1, L"A"), b.file = a.file.substr(0, a.file.size() - 40), b.save(false);
             EXPECT_EQ(b.writes, 0); }, {L"1", L"A"}, 0},
        {"a memo being edited", [&](Pc& a, Pc& b, auto&) {
             edit(a, 0, L"A"), b.pinned = b.shown[0].MEMO_ID, send(a, b);
             EXPECT_EQ(b.texts().count(L"1"), 1u);
             b.pinned.clear(), b.save(true); }, {L"A", L"2"}, 0},
        {"OK pressed while the other file arrives", [&](Pc& a, Pc& b, auto&) {
             edit(a, 0, L"A"), b.file = a.file, b.pinned = b.shown[0].MEMO_ID;
             b.shown[0].tabs[0].text = L"B\r\n", b.save(true), b.pinned.clear(), b.save(false); }, {L"A", L"B", L"2"}, 1},
        {"deleted on one, edited on the other", [&](Pc& a, Pc& b, auto&) { drop(a), edit(b, 0, L"B"), send(a, b); }, {L"B", L"2"}, 0},
        {"a delete stays deleted", [&](Pc& a, Pc& b, auto&) {
             const std::string old = a.file;
             drop(a), send(a, b), b.file = old, b.save(false); }, {L"2"}, 0},
        {"a delete, then the previous version's file", [&](Pc& a, Pc& b, auto& start) {
             std::vector<StoredMemo> plain = start;
             for (StoredMemo& m : plain) m.MEMO_ID.clear();
             drop(a), send(a, b), b.file = formatMemos(plain), b.save(false); }, {L"2"}, 0},
        {"edited by the previous version, which keeps the identity line", [&](Pc& a, Pc& b, auto&) {
             b.file = a.file, b.file.replace(b.file.find("1\r\n[MEMO_END]"), 1, "P"), b.save(false); }, {L"P", L"2"}, 0},
        {"previous version's files that differ, one with no line for an empty text", [&](Pc& a, Pc& b, auto& start) {
             std::vector<StoredMemo> plain = start;
             for (StoredMemo& m : plain) m.MEMO_VERSION.clear();
             a.file = b.file = formatMemos(plain);
             a.file.erase(a.file.find("1\r\n[MEMO_END]"), 3), b.file.replace(b.file.find("1\r\n[MEMO_END]"), 1, "B");
             a.start(), b.start(), a.save(true); }, {L"", L"B", L"2"}, 0},
        {"a reminder dismissed on one PC", [&](Pc& a, Pc& b, auto&) {
             a.shown[0].REMINDER = makeReminder(LocalTime{2026, 12, 10, 9, 0, 0}, Repeat::None), a.save(true), send(a, b);
             EXPECT_TRUE(b.shown[0].REMINDER);
             b.shown[0].REMINDER.reset(), b.save(true), send(b, a);
             EXPECT_FALSE(a.shown[0].REMINDER); }, {L"1", L"2"}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Pc a("0000000a"), b("0000000b");
        const std::vector<StoredMemo> start = {memo(L"1"), memo(L"2", 200)};
        a.shown = start, a.save(true), b.file = a.file, b.start();
        r.steps(a, b, start);
        for (int round = 0; round < 4; ++round) send(a, b), send(b, a);
        const int writes = a.writes + b.writes;
        send(a, b), a.save(false);
        EXPECT_EQ(a.writes + b.writes, writes) << "a file that brings nothing new is written";
        EXPECT_EQ(a.file, b.file);
        EXPECT_EQ(a.showing(), b.showing());
        EXPECT_EQ(a.texts(), r.texts);
        EXPECT_EQ(size_t(std::count_if(a.shown.begin(), a.shown.end(), [](auto& m) { return m.CAPTION.find(L"(PC") != std::wstring::npos; })),
                  r.copies);
    }
}

TEST(MemoSync, SyncEnginesConflictCopies) {
    const struct { const char* name; std::optional<std::string> label; } rows[] = {
        {"Quillpad.sync-conflict-20240102-030405-ABCDEFG.dat", "ABCDEFG"},
        {"Quillpad (PC1's conflicted copy 2024-01-02).dat", "PC1"},
        {"Quillpad (PC1 \x82\xcc\x8b\xa3\x8d\x87\x83\x52\x83\x73\x81\x5b 2024-01-02).dat", "PC1"},
        {"Quillpad-DESKTOP-7Q1.dat", "DESKTOP-7Q1"},
        {"Quillpad-old.dat", std::nullopt},  // the user's own file: no backups name that computer
        {"Quillpad.dat.tmp", std::nullopt},
        {"Quillpad-20240102-030405.dat", std::nullopt},
        {"Quillpad (copy).dat", std::nullopt},
    };
    for (const auto& r : rows) EXPECT_EQ(conflictCopyLabel(r.name, "Quillpad.dat", {"DESKTOP-7Q1"}), r.label) << r.name;
}

// Two or three PCs edit, move, add, delete, pin and restart while an engine
// brings their files late, twice, out of order, half-written, stale or as
// conflict copies; one may run the previous version. Once the engine only
// carries their answers, the PCs of this version write at most twice, agree
// to the byte and stop writing; every text a user kept is shown unless a PC
// that showed it changed or deleted it. SYNC_SEED=N replays one seed,
// SYNC_SEED=A-B runs a long range by hand; the seeds of long runs that found
// a fault run every time.
TEST(MemoSync, SeededModelKeepsTheContract) {
    std::vector<int> seeds = {53290, 56703};
    int first = 1, last = 10000;
    if (const char* only = getenv("SYNC_SEED")) {
        first = last = atoi(only), seeds.clear();
        if (const char* dash = strchr(only, '-')) last = atoi(dash + 1);
    }
    for (int seed = first; seed <= last; ++seed) seeds.push_back(seed);
    for (int seed : seeds) {
        std::mt19937 rng(seed);
        auto roll = [&](int n) { return int(rng() % unsigned(n)); };
        const int pcCount = 2 + roll(2);
        std::vector<Pc> pcs;
        pcs.reserve(pcCount);  // each PC's rules keep their count through it
        for (int p = 0; p < pcCount; ++p) pcs.emplace_back("p" + std::to_string(p));
        pcs.back().previousVersion = pcCount == 3 && roll(4) == 0;
        idCount = 0;
        std::set<std::wstring> kept, superseded;
        // The engine counts each file's writes per PC, as sync engines do: a
        // file replaces one whose writes it holds all of; of two that each
        // hold writes the other lacks, one stays and the other is a copy.
        using Writes = std::map<int, int>;
        auto holds = [](const Writes& a, const Writes& b) {
            return std::all_of(b.begin(), b.end(), [&](auto& w) { return a.count(w.first) && a.at(w.first) >= w.second; });
        };
        struct Flight { int origin; Writes writes; std::string bytes; };
        std::vector<std::vector<Flight>> inFlight(pcCount);  // what the engine has yet to bring each PC
        std::vector<Writes> fileWrites(pcCount);
        auto publish = [&](int p) {
            ++fileWrites[p][p];
            for (int q = 0; q < pcCount; ++q)
                if (q != p) inFlight[q].push_back({p, fileWrites[p], pcs[p].file});
        };
        auto act = [&](int p, bool userChange) {
            if (pcs[p].save(userChange)) publish(p);
        };
        // Faulty: any file in flight, maybe again later, maybe with the same
        // PC's older ones dropped, maybe half-written first, maybe over a newer
        // one. Sound: each PC's current file, over an older one only.
        auto deliver = [&](int q, bool faulty) {
            auto& queue = inFlight[q];
            while (!faulty && !queue.empty() &&
                   (holds(fileWrites[q], queue[0].writes) ||
                    std::any_of(queue.begin() + 1, queue.end(), [&](const Flight& f) { return f.origin == queue[0].origin; })))
                queue.erase(queue.begin());
            if (queue.empty()) return;
            const size_t at = faulty ? size_t(roll(int(queue.size()))) : 0;
            const Flight flight = queue[at];
            if (!faulty || roll(3)) queue.erase(queue.begin() + at);
            for (size_t i = std::min(at, queue.size()); faulty && roll(3) == 0 && i-- > 0;)
                if (queue[i].origin == flight.origin) queue.erase(queue.begin() + i);
            Pc& pc = pcs[q];
            const bool stale = holds(fileWrites[q], flight.writes);
            if (faulty && roll(6) == 0 && flight.bytes.size() > 10) {
                const std::string own = pc.file, half = flight.bytes.substr(0, size_t(roll(int(flight.bytes.size()))));
                pc.file = half, act(q, false);
                if (pc.file == half) pc.file = own;
            }
            const bool conflict = !stale && !holds(flight.writes, fileWrites[q]) && pc.file != flight.bytes, keepsIncoming = roll(2);
            if (conflict) pc.copies.push_back(keepsIncoming ? pc.file : flight.bytes);
            if (!conflict || keepsIncoming) pc.file = flight.bytes;
            for (const auto& [p, n] : flight.writes) fileWrites[q][p] = std::max(fileWrites[q][p], n);
            act(q, false);
            for (; !pc.previousVersion && !pc.copies.empty(); pc.copies.pop_back()) {
                std::optional<SyncFile> copy = readSyncFile(pc.copies.back(), {});
                if (!copy) continue;
                copy->isCopy = true;
                if (pc.save(true, &*copy)) publish(q);
            }
        };
        pcs[0].shown = {memo(L"s1"), memo(L"s2", 200)}, pcs[0].save(true);
        for (int q = 1; q < pcCount; ++q) pcs[q].file = pcs[0].file, pcs[q].start();
        kept = pcs[0].texts();
        for (int step = 0, steps = 20 + roll(30), counter = 0; step < steps; ++step) {
            const int p = roll(pcCount), what = roll(9);
            Pc& pc = pcs[p];
            const size_t at = pc.shown.empty() ? 0 : size_t(roll(int(pc.shown.size())));
            const std::wstring text = L"p" + std::to_wstring(p) + L"-" + std::to_wstring(++counter);
            if (what <= 2 && !pc.shown.empty()) {  // an edit kept
                if (pc.shown[at].MEMO_ID == pc.pinned) pc.pinned.clear();
                superseded.insert(textOf(pc.shown[at])), kept.insert(text);
                pc.shown[at].tabs[0].text = text + L"\r\n", act(p, true);
            } else if (what == 3 && !pc.shown.empty()) {  // a move
                pc.shown[at].RECT_LEFT += 10, pc.shown[at].RECT_RIGHT += 10, act(p, true);
            } else if (what == 4) {
                pc.shown.push_back(memo(text, 40 * roll(10))), kept.insert(text), act(p, true);
            } else if (what == 5 && pc.shown.size() > (pc.previousVersion ? 1u : 0u) && pc.shown[at].MEMO_ID != pc.pinned) {
                // a delete; the previous version keeps one memo, or its file would be none to take
                superseded.insert(textOf(pc.shown[at])), pc.shown.erase(pc.shown.begin() + at), act(p, true);
            } else if (what == 6) {  // edit mode opened, or closed with nothing changed
                pc.pinned = pc.pinned.empty() && !pc.shown.empty() ? pc.shown[at].MEMO_ID : "";
            } else if (what == 7 && !pc.previousVersion && roll(3) == 0) {
                pc.start();
            } else {
                deliver(p, true);
            }
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + (pcs.back().previousVersion ? " (previous version)" : ""));
        // What was late arrives; then the engine carries only the PCs' answers.
        for (int q = 0; q < pcCount; ++q) pcs[q].pinned.clear(), act(q, false);
        for (int q = 0; q < pcCount; ++q)
            for (size_t late = inFlight[q].size(); late-- > 0;) deliver(q, false);
        std::vector<int> writes;
        for (Pc& pc : pcs) writes.push_back(pc.writes);
        for (int round = 0; round < 200; ++round)
            for (int q = 0; q < pcCount; ++q) deliver(q, false);
        for (int q = 0; q < pcCount; ++q) {
            ASSERT_LE(pcs[q].writes - writes[q], pcs[q].previousVersion ? 0 : 2) << "pc " << q << " writes on";
            writes[q] = pcs[q].writes;
        }
        for (int q = 0; q < pcCount; ++q) deliver(q, false), act(q, false);
        for (int q = 0; q < pcCount; ++q) ASSERT_EQ(pcs[q].writes, writes[q]) << "pc " << q << " writes without a change";
        for (const Pc& pc : pcs) {
            if (pc.previousVersion) continue;
            ASSERT_EQ(pc.file, pcs[0].file);
            ASSERT_EQ(pc.showing(), pcs[0].showing());
            const std::set<std::wstring> texts = pc.texts();
            for (const std::wstring& t : kept) ASSERT_TRUE(superseded.count(t) || texts.count(t)) << sjis::encode(t) << " lost";
        }
    }
}
