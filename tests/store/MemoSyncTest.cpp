#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <random>
#include <set>
#include "store/MemoSync.h"
#include "tests/support/ShownMemos.h"
#include "store/ShiftJis.h"

namespace {

const LocalTime NOW{2026, 12, 9, 12, 0, 0};

// Identities in the order made, so that a seed replays alike.
unsigned idCount = 0;
std::string nextId() {
    char id[17];
    std::snprintf(id, sizeof id, "%016x", ++idCount);
    return id;
}

StoredMemo memo(const std::wstring& text, int32_t left = 0) {
    StoredMemo m;
    m.MEMO_ID = nextId();
    m.CAPTION = L"M";
    m.tabs = {{text + L"\r\n", L"t"}};
    m.RECT_LEFT = left, m.RECT_RIGHT = left + 100, m.RECT_BOTTOM = 100;
    return m;
}
std::wstring textOf(const StoredMemo& m) { return m.tabs.at(0).text.substr(0, m.tabs.at(0).text.size() - 2); }

// One PC: its windows (the memos it shows), its merge rules and its copy of the file.
struct Pc {
    std::string id;
    uint32_t kept = 0;  // the count its settings folder keeps
    MemoSync sync;
    std::vector<StoredMemo> shown;
    std::string file, lastSeen;  // its folder's file, and the file as it last wrote or took it
    std::vector<std::string> copies;  // conflict copies in its folder
    std::string pinned;  // a memo being edited
    int writes = 0;
    bool previousVersion = false;  // reads the file once, writes it without identities

    explicit Pc(std::string pcId) : id(pcId), sync(rules()) {}
    MemoSync rules() {
        return MemoSync({id, kept}, "PC" + id, [this](const PcIdentity& pc) { kept = pc.counted; });
    }

    void apply(const MemoSync::Plan& plan) { takePlan(shown, plan); }
    bool write(const std::string& bytes) {
        if (bytes == file) return false;
        file = lastSeen = bytes;
        ++writes;
        return true;
    }
    // The save after a change here, or the watch's look (`userChange` false).
    bool sync_(bool userChange, const SyncFile* copy = nullptr) {
        if (previousVersion) {
            if (!userChange) return false;
            std::vector<StoredMemo> plain = shown;
            for (StoredMemo& m : plain) m.MEMO_ID.clear(), m.MEMO_VERSION.clear();
            return write(formatMemos(plain));
        }
        std::optional<SyncFile> theirs;
        if (!copy && file != lastSeen) theirs = readSyncFile(file, {});
        if (theirs && theirs->memos.empty() && theirs->tombstones.empty()) theirs.reset();  // no version to take
        if (!userChange && !theirs && !copy && !sync.behind()) return false;
        std::vector<std::string> pins;
        if (!pinned.empty()) pins.push_back(pinned);
        const MemoSync::Plan plan = sync.merge(shown, pins, copy ? copy : theirs ? &*theirs : nullptr, NOW);
        apply(plan);
        if (theirs) lastSeen = file;
        return plan.write && write(sync.fileBytes());
    }
    void start() {
        std::optional<SyncFile> f = readSyncFile(file, {});
        SyncFile loaded = f ? *f : SyncFile{};
        if (!f) parseMemos(file, {}, [&](const StoredMemo& m) { loaded.memos.push_back(m); });
        sync = rules();
        shown = sync.load(loaded);
        if (previousVersion) for (StoredMemo& m : shown) m.MEMO_ID = nextId();
        lastSeen = file;
        pinned.clear();
    }
    std::set<std::wstring> texts() const {
        std::set<std::wstring> out;
        for (const StoredMemo& m : shown) out.insert(textOf(m));
        return out;
    }
};

// Every PC shows the memos that the others show.
std::string showing(const Pc& pc) {
    std::vector<std::string> out;
    for (const StoredMemo& m : pc.shown)
        out.push_back(m.MEMO_ID + sjis::encode(m.CAPTION) + "/" + sjis::encode(textOf(m)) + "@" + std::to_string(m.RECT_LEFT));
    std::sort(out.begin(), out.end());
    std::string joined;
    for (const std::string& s : out) joined += s + " ";
    return joined;
}

}  // namespace

// The faults two PCs met through a real engine, each a row: what the PCs do
// in turn, and the texts both show at the end.
TEST(MemoSync, TwoPcsAgree) {
    struct Row {
        const char* what;
        // a and b share `start`; `steps` acts on them; then they exchange files until they agree.
        std::function<void(Pc& a, Pc& b, std::vector<StoredMemo>& start)> steps;
        std::set<std::wstring> texts;
        size_t copies;  // memos captioned with another PC's name
    };
    auto edit = [](Pc& pc, size_t i, const std::wstring& text) {
        pc.shown.at(i).tabs.at(0).text = text + L"\r\n";
        pc.sync_(true);
    };
    auto deliver = [](Pc& from, Pc& to) {
        to.file = from.file;
        to.sync_(false);
    };
    Row rows[] = {
        {"both edit the same memo", [&](Pc& a, Pc& b, auto&) { edit(a, 0, L"A"); edit(b, 0, L"B"); deliver(a, b); },
         {L"A", L"B", L"2"}, 1},
        {"a text back to an earlier state", [&](Pc& a, Pc& b, auto&) {
             edit(a, 0, L"x"); deliver(a, b); edit(a, 0, L"1"); deliver(a, b); },
         {L"1", L"2"}, 0},
        {"a stale file after new memos", [&](Pc& a, Pc& b, auto&) {
             const std::string stale = a.file;
             a.shown.push_back(memo(L"new")); a.sync_(true); deliver(a, b);
             edit(b, 1, L"B"); b.file = stale; b.sync_(false); },
         {L"1", L"B", L"new"}, 0},
        {"a restore reaches the other PC", [&](Pc& a, Pc& b, auto& start) {
             edit(a, 0, L"x"); deliver(a, b); a.shown = start; a.sync_(true); },
         {L"1", L"2"}, 0},
        {"a file still being written", [&](Pc& a, Pc& b, auto&) {
             edit(a, 1, L"A"); b.file = a.file.substr(0, a.file.size() - 40); b.sync_(false);
             EXPECT_EQ(b.writes, 0); },
         {L"1", L"A"}, 0},
        {"a memo being edited", [&](Pc& a, Pc& b, auto&) {
             edit(a, 0, L"A"); b.pinned = b.shown[0].MEMO_ID; deliver(a, b);
             EXPECT_EQ(b.texts().count(L"1"), 1u); b.pinned.clear(); b.sync_(true); },
         {L"A", L"2"}, 0},
        {"OK pressed while the other file arrives", [&](Pc& a, Pc& b, auto&) {
             edit(a, 0, L"A"); b.file = a.file; b.pinned = b.shown[0].MEMO_ID;
             b.shown[0].tabs[0].text = L"B\r\n"; b.sync_(true); b.pinned.clear(); b.sync_(false); },
         {L"A", L"B", L"2"}, 1},
        {"deleted on one, edited on the other", [&](Pc& a, Pc& b, auto&) {
             a.shown.erase(a.shown.begin()); a.sync_(true); edit(b, 0, L"B"); deliver(a, b); },
         {L"B", L"2"}, 0},
        {"a delete stays deleted", [&](Pc& a, Pc& b, auto&) {
             const std::string old = a.file;
             a.shown.erase(a.shown.begin()); a.sync_(true); deliver(a, b); b.file = old; b.sync_(false); },
         {L"2"}, 0},
        {"a reminder dismissed on one PC", [&](Pc& a, Pc& b, auto&) {
             a.shown[0].REMINDER = makeReminder(LocalTime{2026, 12, 10, 9, 0, 0}, Repeat::None);
             a.sync_(true); deliver(a, b);
             EXPECT_TRUE(b.shown[0].REMINDER);
             b.shown[0].REMINDER.reset(); b.sync_(true); deliver(b, a);
             EXPECT_FALSE(a.shown[0].REMINDER); },
         {L"1", L"2"}, 0},
        {"a delete, then the previous version's file", [&](Pc& a, Pc& b, auto& start) {
             a.shown.erase(a.shown.begin()); a.sync_(true); deliver(a, b);
             std::vector<StoredMemo> plain = start;
             for (StoredMemo& m : plain) m.MEMO_ID.clear();
             b.file = formatMemos(plain); b.sync_(false); },
         {L"2"}, 0},
        {"edited by the previous version", [&](Pc& a, Pc& b, auto&) {
             // It keeps the identity line as it read it.
             std::string bytes = a.file;
             bytes.replace(bytes.find("1\r\n[MEMO_END]"), 1, "P");
             b.file = bytes; b.sync_(false); },
         {L"P", L"2"}, 0},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.what);
        Pc a("0000000a"), b("0000000b");
        std::vector<StoredMemo> start = {memo(L"1"), memo(L"2", 200)};
        a.shown = start;
        a.sync_(true);
        b.file = a.file;
        b.start();
        r.steps(a, b, start);
        for (int round = 0; round < 4; ++round) {
            b.file = a.file, b.sync_(false);
            a.file = b.file, a.sync_(false);
        }
        const int writes = a.writes + b.writes;
        b.file = a.file, b.sync_(false), a.sync_(false);
        EXPECT_EQ(a.writes + b.writes, writes) << "a file that brings nothing new is written";
        EXPECT_EQ(a.file, b.file);
        EXPECT_EQ(showing(a), showing(b));
        EXPECT_EQ(a.texts(), r.texts);
        size_t copies = 0;
        for (const StoredMemo& m : a.shown) copies += m.CAPTION.find(L"(PC") != std::wstring::npos;
        EXPECT_EQ(copies, r.copies);
    }
}

TEST(MemoSync, SyncEnginesConflictCopies) {
    struct Row { const char* name; std::optional<std::string> label; } rows[] = {
        {"Quillpad.sync-conflict-20240102-030405-ABCDEFG.dat", "ABCDEFG"},
        {"Quillpad (PC1's conflicted copy 2024-01-02).dat", "PC1"},
        {"Quillpad (PC1 \x82\xcc\x8b\xa3\x8d\x87\x83\x52\x83\x73\x81\x5b 2024-01-02).dat", "PC1"},
        {"Quillpad-DESKTOP-7Q1.dat", "DESKTOP-7Q1"},
        {"Quillpad-old.dat", std::nullopt},  // the user's own file: no backups name that computer
        {"Quillpad.dat.tmp", std::nullopt},
        {"Quillpad-20240102-030405.dat", std::nullopt},
        {"Quillpad (copy).dat", std::nullopt},
        {"Quillpad-my notes.dat", std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(conflictCopyLabel(r.name, "Quillpad.dat", {"DESKTOP-7Q1"}), r.label) << r.name;
}

// PCs that edit, move, add, delete, pin and restart while an engine delivers
// their files late, twice, out of order, half-written, stale, or as conflict
// copies; one PC may run the previous version. Once the engine stops, the
// PCs of this version agree and stop writing, and every text a user kept is
// shown unless a PC that showed it changed or deleted it.
TEST(MemoSync, SeededModelKeepsTheContract) {
    const int RUNS = 10000;
    const char* only = getenv("SYNC_SEED");  // replays one seed
    for (int seed = only ? atoi(only) : 1; seed <= (only ? atoi(only) : RUNS); ++seed) {
        std::mt19937 rng(seed);
        auto roll = [&](int n) { return int(rng() % unsigned(n)); };
        const int pcCount = 2 + roll(2);
        std::vector<Pc> pcs;
        pcs.reserve(pcCount);  // each PC's rules keep their count through it
        for (int p = 0; p < pcCount; ++p) pcs.emplace_back("p" + std::to_string(p));
        idCount = 0;
        if (pcCount == 3 && roll(4) == 0) pcs[2].previousVersion = true;
        std::set<std::wstring> kept, superseded;
        int counter = 0;
        // The engine counts each file's writes per PC, as sync engines do: a
        // file replaces one whose writes it holds all of; two that hold
        // writes the other lacks conflict, and the one not kept becomes a copy.
        using Writes = std::map<int, int>;
        auto holds = [](const Writes& a, const Writes& b) {
            for (const auto& [pc, n] : b)
                if (a.count(pc) == 0 || a.at(pc) < n) return false;
            return true;
        };
        struct Flight {
            int origin;
            Writes writes;
            std::string bytes;
        };
        std::vector<std::vector<Flight>> inFlight(pcCount);  // what the engine has yet to bring each PC
        std::vector<Writes> fileWrites(pcCount);
        auto publish = [&](int p) {
            ++fileWrites[p][p];
            for (int q = 0; q < pcCount; ++q)
                if (q != p) inFlight[q].push_back({p, fileWrites[p], pcs[p].file});
        };
        auto act = [&](int p, bool userChange) {
            if (pcs[p].sync_(userChange)) publish(p);
        };
        // Faulty: any file in flight, maybe again later, maybe with the same
        // PC's older ones dropped, maybe half-written first, maybe over a
        // newer one (stale); otherwise the oldest, as the engine's rule says.
        auto deliver = [&](int q, bool faulty) {
            auto& queue = inFlight[q];
            // A sound engine sends each PC's current file, never one the folder holds.
            while (!faulty && !queue.empty() &&
                   (holds(fileWrites[q], queue[0].writes) ||
                    std::any_of(queue.begin() + 1, queue.end(), [&](const Flight& f) { return f.origin == queue[0].origin; })))
                queue.erase(queue.begin());
            if (queue.empty()) return;
            const size_t at = faulty ? size_t(roll(int(queue.size()))) : 0;
            const Flight flight = queue[at];
            if (!faulty || roll(3)) queue.erase(queue.begin() + at);
            if (faulty && roll(3) == 0) {
                for (size_t i = std::min(at, queue.size()); i-- > 0;)
                    if (queue[i].origin == flight.origin) queue.erase(queue.begin() + i);
            }
            Pc& pc = pcs[q];
            const bool stale = holds(fileWrites[q], flight.writes);
            if (stale && !faulty) return;
            if (faulty && roll(6) == 0 && flight.bytes.size() > 10) {
                const std::string own = pc.file;
                pc.file = flight.bytes.substr(0, size_t(roll(int(flight.bytes.size()))));  // half-written
                const std::string half = pc.file;
                act(q, false);
                if (pc.file == half) pc.file = own;
            }
            if (!stale && !holds(flight.writes, fileWrites[q]) && pc.file != flight.bytes) {
                const bool keepsIncoming = roll(2);
                pc.copies.push_back(keepsIncoming ? pc.file : flight.bytes);
                if (keepsIncoming) pc.file = flight.bytes;
            } else {
                pc.file = flight.bytes;
            }
            for (const auto& [p, n] : flight.writes) fileWrites[q][p] = std::max(fileWrites[q][p], n);
            act(q, false);
            while (!pc.previousVersion && !pc.copies.empty()) {
                std::optional<SyncFile> copy = readSyncFile(pc.copies.back(), {});
                pc.copies.pop_back();
                if (!copy) continue;
                copy->isCopy = true;
                if (pc.sync_(true, &*copy)) publish(q);
            }
        };
        for (Pc& pc : pcs) {
            pc.shown = {memo(L"s1"), memo(L"s2", 200)};
            (void)pc;
        }
        pcs[0].sync_(true);
        for (int q = 1; q < pcCount; ++q) pcs[q].file = pcs[0].file, pcs[q].start();
        for (const StoredMemo& m : pcs[0].shown) kept.insert(textOf(m));

        const int steps = 20 + roll(30);
        for (int step = 0; step < steps; ++step) {
            const int p = roll(pcCount);
            Pc& pc = pcs[p];
            switch (roll(9)) {
            case 0: case 1: case 2: {  // an edit kept
                if (pc.shown.empty()) break;
                StoredMemo& m = pc.shown[roll(int(pc.shown.size()))];
                if (m.MEMO_ID == pc.pinned) pc.pinned.clear();
                superseded.insert(textOf(m));
                const std::wstring text = L"p" + std::to_wstring(p) + L"e" + std::to_wstring(++counter);
                m.tabs[0].text = text + L"\r\n";
                kept.insert(text);
                act(p, true);
                break;
            }
            case 3: {  // a move
                if (pc.shown.empty()) break;
                StoredMemo& m = pc.shown[roll(int(pc.shown.size()))];
                m.RECT_LEFT += 10, m.RECT_RIGHT += 10;
                act(p, true);
                break;
            }
            case 4: {  // a new memo
                const std::wstring text = L"p" + std::to_wstring(p) + L"n" + std::to_wstring(++counter);
                pc.shown.push_back(memo(text, 40 * roll(10)));
                kept.insert(text);
                act(p, true);
                break;
            }
            case 5: {  // a delete; the previous version keeps one memo, or its file would be none to take
                if (pc.shown.size() < (pc.previousVersion ? 2u : 1u)) break;
                const size_t i = size_t(roll(int(pc.shown.size())));
                if (pc.shown[i].MEMO_ID == pc.pinned) break;
                superseded.insert(textOf(pc.shown[i]));
                pc.shown.erase(pc.shown.begin() + i);
                act(p, true);
                break;
            }
            case 6:  // edit mode opened, or closed with nothing changed
                pc.pinned = pc.pinned.empty() && !pc.shown.empty() ? pc.shown[roll(int(pc.shown.size()))].MEMO_ID : "";
                break;
            case 7:
                if (!pc.previousVersion && roll(3) == 0) pc.start();
                else deliver(p, true);
                break;
            default: deliver(p, true); break;
            }
        }
        // The engine stops misbehaving and delivers the latest, until nothing moves.
        for (Pc& pc : pcs) pc.pinned.clear();
        std::vector<Pc*> current;
        for (Pc& pc : pcs)
            if (!pc.previousVersion) current.push_back(&pc);
        for (int p = 0; p < pcCount; ++p) act(p, false);
        // What was late arrives: then the engine stops delivering anything but the PCs' answers.
        for (int q = 0; q < pcCount; ++q)
            for (size_t late = inFlight[q].size(); late-- > 0;) deliver(q, false);
        std::vector<int> writesBefore;
        for (Pc& pc : pcs) writesBefore.push_back(pc.writes);
        for (int round = 0; round < 200; ++round) {
            for (int q = 0; q < pcCount; ++q) deliver(q, false);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + (pcs.back().previousVersion ? " (previous version)" : ""));
        for (size_t q = 0; q < pcs.size(); ++q) {
            if (pcs[q].previousVersion) continue;
            ASSERT_LE(pcs[q].writes - writesBefore[q], 2) << "pc " << q << " writes on";
        }
        const std::vector<int> settled = [&] { std::vector<int> w; for (Pc& pc : pcs) w.push_back(pc.writes); return w; }();
        for (int q = 0; q < pcCount; ++q) deliver(q, false), act(q, false);
        for (int q = 0; q < pcCount; ++q) ASSERT_EQ(pcs[q].writes, settled[q]) << "pc " << q << " writes without a change";
        for (Pc* pc : current) {
            ASSERT_EQ(pc->file, current[0]->file);
            ASSERT_EQ(showing(*pc), showing(*current[0]));
            const std::set<std::wstring> texts = pc->texts();
            for (const std::wstring& t : kept) {
                ASSERT_TRUE(superseded.count(t) || texts.count(t)) << sjis::encode(t) << " lost";
            }
        }
    }
}
