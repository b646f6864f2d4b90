#include "store/MemoSync.h"
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <tuple>
#include "store/FileIO.h"
#include "store/LineFormat.h"
#include "store/ShiftJis.h"

namespace {

const uint64_t FNV_OFFSET = 0xcbf29ce484222325ull, FNV_PRIME = 0x100000001b3ull;

uint64_t mix(uint64_t hash, uint64_t value) { return (hash ^ value) * FNV_PRIME; }
template <class Text>
uint64_t mixText(uint64_t hash, const Text& text) {
    for (auto unit : text) hash = mix(hash, static_cast<uint64_t>(unit));
    return mix(hash, text.size());
}
uint64_t textHash64(const StoredMemo& memo, uint64_t seed) {
    uint64_t hash = mixText(seed, memo.CAPTION);
    for (const MemoTab& tab : memo.tabs) hash = mixText(mixText(hash, tab.title), tab.text);
    return hash;
}

std::string hex(uint64_t value, int digits) {
    char text[17];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return std::string(text).substr(0, digits);
}

uint64_t randomSeed() {
    static std::atomic<uint64_t> count{0};
    uint64_t seed = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    seed = mix(mix(seed, static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())), ++count);
    try {
        std::random_device device;
        seed = mix(mix(seed, device()), device());
    } catch (...) {
        // no random device: the clocks and the count still differ
    }
    return std::mt19937_64(seed)();
}

bool sameText(const StoredMemo& a, const StoredMemo& b) { return a.tabs == b.tabs && a.CAPTION == b.CAPTION; }
// The look holds the reminder: a dismissal is a change like a move.
bool sameLook(const StoredMemo& a, const StoredMemo& b) {
    return a.RECT_LEFT == b.RECT_LEFT && a.RECT_TOP == b.RECT_TOP && a.RECT_RIGHT == b.RECT_RIGHT &&
           a.RECT_BOTTOM == b.RECT_BOTTOM && a.appearance == b.appearance && a.MEMO_SELECT_INDEX == b.MEMO_SELECT_INDEX &&
           a.REMINDER == b.REMINDER;
}
// A text as the file gives it back: its lone CRs dropped, each line ended by
// CR LF, the last one too (an empty text is one empty line). Held so, a memo's
// hash in the file is that of what a reader finds there.
bool endsLinesAsTheFile(const std::wstring& text) {
    if (text.size() < 2 || text.compare(text.size() - 2, 2, L"\r\n") != 0) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((text[i] == L'\r') != (i + 1 < text.size() && text[i + 1] == L'\n')) return false;
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) return false;
    }
    return true;
}
StoredMemo asTheFileHolds(StoredMemo memo) {
    for (MemoTab& tab : memo.tabs) {
        if (endsLinesAsTheFile(tab.text)) continue;
        std::wstring lines;
        for (wchar_t c : tab.text) {
            if (c == L'\n') lines += L"\r\n";
            else if (c != L'\r') lines += c;
        }
        if (lines.size() < 2 || lines.compare(lines.size() - 2, 2, L"\r\n") != 0) lines += L"\r\n";
        tab.text = std::move(lines);
    }
    return memo;
}
void takeText(StoredMemo& to, const StoredMemo& from) { to.tabs = from.tabs, to.CAPTION = from.CAPTION; }
void takeLook(StoredMemo& to, const StoredMemo& from) {
    to.RECT_LEFT = from.RECT_LEFT, to.RECT_TOP = from.RECT_TOP;
    to.RECT_RIGHT = from.RECT_RIGHT, to.RECT_BOTTOM = from.RECT_BOTTOM;
    to.appearance = from.appearance;
    to.MEMO_SELECT_INDEX = from.MEMO_SELECT_INDEX;
    to.REMINDER = from.REMINDER;
}

VersionVector joined(VersionVector a, const VersionVector& b) {
    for (const auto& [pc, n] : b) a[pc] = std::max(a[pc], n);
    return a;
}

// A change that a reader without versions made on top of `v`: after v, and
// concurrent with every other change after v. Every PC that meets it counts it alike.
const char* const UNVERSIONED_PC = "old";
VersionVector afterUnversioned(VersionVector v) {
    ++v[UNVERSIONED_PC];
    return v;
}

std::string formatVector(const VersionVector& v) {
    std::string out = "=";
    for (const auto& [pc, n] : v) out += (out.size() > 1 ? "," : "") + pc + "." + std::to_string(n);
    return out;
}

std::optional<VersionVector> parseVector(std::string_view text) {
    if (text.empty() || text[0] != '=') return std::nullopt;
    VersionVector v;
    text.remove_prefix(1);
    while (!text.empty()) {
        const size_t comma = std::min(text.find(','), text.size());
        const std::string_view item = text.substr(0, comma);
        const size_t dot = item.rfind('.');
        if (dot == std::string_view::npos || dot == 0 || dot + 1 == item.size()) return std::nullopt;
        uint32_t n = 0;
        for (char c : item.substr(dot + 1)) {
            if (c < '0' || c > '9' || n > 400000000u) return std::nullopt;
            n = n * 10 + uint32_t(c - '0');
        }
        v[std::string(item.substr(0, dot))] = n;
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    return v;
}

bool parseHex32(std::string_view text, uint32_t& out) {
    if (text.size() != 8) return false;
    out = 0;
    for (char c : text) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) return false;
        out = out * 16 + uint32_t(d);
    }
    return true;
}

constexpr std::string_view TOMBSTONE_KEY = "MEMO_GONE-";
constexpr std::string_view BLOCK_OPEN = "[MEMO_TAB_START]";
constexpr std::string_view BLOCK_CLOSE = "[MEMO_TAB_END]";

// "MEMO_GONE-<identity> =<vector> <YYYYMMDD-HHMMSS> <text hash>": after the
// last block, where readers of the memo blocks skip it.
bool parseTombstone(std::string_view line, std::string& id, Tombstone& out) {
    if (!lineformat::startsWith(line, TOMBSTONE_KEY)) return false;
    const std::vector<std::string_view> w = lineformat::words(line.substr(TOMBSTONE_KEY.size()));
    std::optional<VersionVector> v;
    std::optional<LocalTime> when;
    if (w.size() != 4 || !(v = parseVector(w[1])) || !(when = parseTimeStamp(w[2])) || !parseHex32(w[3], out.textHash))
        return false;
    id.assign(w[0]);
    out.text = *v;
    out.when = *when;
    return true;
}

// A computer name in file-name form ("%" and two hex digits for other bytes) as shown.
std::wstring shownName(const std::string& name) {
    std::string bytes;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned value;
        if (name[i] == '%' && i + 2 < name.size() + 0 && std::sscanf(name.substr(i + 1, 2).c_str(), "%2x", &value) == 1) {
            bytes += char(value);
            i += 2;
        } else {
            bytes += name[i];
        }
    }
    return sjis::decode(bytes);
}

// A copy of a concurrent text stands beside its memo, not under it.
const int32_t COPY_GAP = 8;

}  // namespace

bool dominates(const VersionVector& a, const VersionVector& b) {
    for (const auto& [pc, n] : b) {
        auto it = a.find(pc);
        if (n > 0 && (it == a.end() || it->second < n)) return false;
    }
    return true;
}

uint32_t textHashOf(const StoredMemo& memo) { return uint32_t(textHash64(memo, FNV_OFFSET) >> 16); }
uint32_t lookHashOf(const StoredMemo& memo) {
    uint64_t h = FNV_OFFSET;
    for (int32_t v : {memo.RECT_LEFT, memo.RECT_TOP, memo.RECT_RIGHT, memo.RECT_BOTTOM, memo.MEMO_SELECT_INDEX})
        h = mix(h, uint32_t(v));
    const MemoAppearance& a = memo.appearance;
    for (uint32_t c : {a.colors.BACK_CAPTION_COLOR, a.colors.TEXT_CAPTION_COLOR, a.colors.BACK_MEMO_COLOR, a.colors.TEXT_MEMO_COLOR})
        h = mix(h, c);
    for (bool f : {a.NOT_SHOW_TAB_FLAG, a.WORDWRAP_FLAG, a.COMPACT_FLAG, a.NON_MOVE_FLAG}) h = mix(h, f);
    if (memo.REMINDER) h = mixText(h, formatReminder(*memo.REMINDER));
    return uint32_t(h >> 16);
}

std::optional<MemoVersion> parseMemoVersion(std::string_view line) {
    MemoVersion version;
    bool text = false, look = false, by = false;
    for (std::string_view w : lineformat::words(line)) {
        if (w.size() > 9 && (w[0] == 't' || w[0] == 'l')) {
            uint32_t hash;
            std::optional<VersionVector> v = parseVector(w.substr(9));
            if (!parseHex32(w.substr(1, 8), hash) || !v) return std::nullopt;
            (w[0] == 't' ? version.text : version.look) = *v;
            (w[0] == 't' ? version.textHash : version.lookHash) = hash;
            (w[0] == 't' ? text : look) = true;
        } else if (lineformat::startsWith(w, "at=")) {
            const size_t dot = w.rfind('.');
            if (dot == std::string_view::npos || dot < 4) return std::nullopt;
            version.made = {uint32_t(std::strtoul(std::string(w.substr(3, dot - 3)).c_str(), nullptr, 10)),
                            std::string(w.substr(dot + 1))};
        } else if (lineformat::startsWith(w, "by=")) {
            version.by.assign(w.substr(3));
            by = true;
        }
    }
    if (!text || !look || !by) return std::nullopt;
    return version;
}

std::string formatMemoVersion(const MemoVersion& v) {
    return "t" + hex(v.textHash, 8) + formatVector(v.text) + " l" + hex(v.lookHash, 8) + formatVector(v.look) +
           " at=" + std::to_string(v.made.first) + "." + v.made.second + " by=" + v.by;
}

namespace {

// Lines after the last block; false when a block is still open at the end.
bool scanTail(std::string_view bytes, std::map<std::string, Tombstone>& tombstones) {
    bool open = false;
    lineformat::forEachLine(bytes, [&](std::string_view line) {
        if (line == BLOCK_OPEN) open = true;
        if (line == BLOCK_CLOSE) open = false, tombstones.clear();
        std::string id;
        Tombstone t;
        if (!open && parseTombstone(line, id, t)) tombstones[id] = t;
    });
    return !open;
}

}  // namespace

std::map<std::string, Tombstone> readTombstones(std::string_view bytes) {
    std::map<std::string, Tombstone> tombstones;
    scanTail(bytes, tombstones);
    return tombstones;
}

std::optional<SyncFile> readSyncFile(std::string_view bytes, ScreenSize screen) {
    SyncFile file;
    // A line cut off, or the last block unfinished: it is being written.
    if ((!bytes.empty() && bytes.back() != '\n') || !scanTail(bytes, file.tombstones)) return std::nullopt;
    parseMemos(bytes, screen, [&](const StoredMemo& memo) { file.memos.push_back(memo); });
    file.bytes.assign(bytes);
    return file;
}

std::string newMemoId() { return hex(randomSeed(), 16); }
std::string newPcId() { return hex(randomSeed(), 8); }
namespace {

std::string pcFile() {
    const std::string folder = fileio::localFolder();
    return folder.empty() ? std::string() : fileio::inFolder(folder, "pc-id.txt");
}

}  // namespace

// "<id> <count>".
PcIdentity thisPc() {
    const std::string file = pcFile();
    std::string kept;
    uint32_t value;
    if (!file.empty() && fileio::readWholeFile(file.c_str(), kept, fileio::HELD_FILE_PATIENCE_MS) == fileio::ReadStatus::Ok &&
        kept.size() >= 10 && parseHex32(kept.substr(0, 8), value) && kept[8] == ' ') {
        return {kept.substr(0, 8), uint32_t(std::strtoul(kept.c_str() + 9, nullptr, 10))};
    }
    PcIdentity pc{newPcId(), 0};
    keepPc(pc);
    return pc;
}

void keepPc(const PcIdentity& pc) {
    const std::string file = pcFile();
    if (!file.empty()) fileio::replaceFile(file.c_str(), pc.id + " " + std::to_string(pc.counted) + "\r\n");
}

std::string derivedMemoId(const StoredMemo& memo, size_t place) {
    return hex(textHash64(memo, mix(FNV_OFFSET, place)), 16);
}

StoredMemo MemoSync::stamped(const Entry& e) {
    StoredMemo m = e.memo;
    MemoVersion v = e.version;
    v.textHash = textHashOf(m), v.lookHash = lookHashOf(m);
    m.MEMO_VERSION = formatMemoVersion(v);
    return m;
}

std::vector<const MemoSync::Entry*> MemoSync::inFileOrder(const std::map<std::string, Entry>& memos) {
    std::vector<const Entry*> order;
    for (const auto& [id, e] : memos) order.push_back(&e);
    // Those of a file without versions first, by their places there; then by count.
    auto key = [](const Entry* e) { return std::make_tuple(!e->version.made.second.empty(), e->version.made.first, e->version.made.second); };
    std::stable_sort(order.begin(), order.end(), [&](const Entry* a, const Entry* b) { return key(a) < key(b); });
    return order;
}

MemoSync::MemoSync(PcIdentity pc, std::string pcName, std::function<void(const PcIdentity&)> keep, std::wstring unknownName)
    : pcId_(std::move(pc.id)),
      pcName_(std::move(pcName)),
      keep_(std::move(keep)),
      unknownName_(std::move(unknownName)),
      count_(pc.counted),
      reserved_(pc.counted) {}

// A crash between a block's keeping and its use only skips counts.
uint32_t MemoSync::nextCount(uint32_t above) {
    const uint32_t COUNTS_AHEAD = 1000;
    count_ = std::max(count_, above) + 1;
    if (count_ > reserved_) {
        reserved_ = count_ + COUNTS_AHEAD;
        if (keep_) keep_({pcId_, reserved_});
    }
    return count_;
}

// A memo as a file states it. One without versions, or changed since its
// line was written, counts as changed by a reader without versions.
MemoSync::Entry MemoSync::versioned(const StoredMemo& memo, size_t place) const {
    Entry e{asTheFileHolds(memo), {}};
    if (e.memo.MEMO_ID.empty()) e.memo.MEMO_ID = derivedMemoId(memo, place);
    e.version.made = {uint32_t(place), std::string()};
    std::optional<MemoVersion> v = parseMemoVersion(memo.MEMO_VERSION);
    if (v) {
        e.version = *v;
        if (v->textHash != textHashOf(e.memo)) e.version.text = afterUnversioned(v->text), e.version.by.clear();
        if (v->lookHash != lookHashOf(memo)) e.version.look = afterUnversioned(v->look);
    }
    return e;
}

// A memo shown here as a version: a change since `base`, the state its window
// was given, counts as this PC's; `now` is what this PC holds of it.
MemoSync::Entry MemoSync::local(const StoredMemo& shown, const Entry* base, const Entry* now) {
    Entry e{asTheFileHolds(shown), base ? base->version : MemoVersion{}};
    auto bump = [&](VersionVector& v, const VersionVector* held) {
        v[pcId_] = nextCount(std::max(v[pcId_], held ? (held->count(pcId_) ? held->at(pcId_) : 0u) : 0u));
    };
    if (!base) {
        // New here, or a deleted one restored: after the delete.
        auto gone = tombstones_.find(shown.MEMO_ID);
        if (gone != tombstones_.end()) e.version.text = gone->second.text;
        bump(e.version.text, nullptr);
        bump(e.version.look, nullptr);
        e.version.by = pcName_;
        e.version.made = {e.version.look[pcId_], pcId_};
        return e;
    }
    if (!sameText(e.memo, base->memo)) {
        bump(e.version.text, now ? &now->version.text : nullptr);
        e.version.by = pcName_;
    }
    if (!sameLook(shown, base->memo)) bump(e.version.look, now ? &now->version.look : nullptr);
    return e;
}

MemoSync::Entry MemoSync::copyOf(const Entry& loser) const {
    Entry copy = loser;
    StoredMemo& m = copy.memo;
    m.MEMO_ID = hex(mix(mixText(FNV_OFFSET, loser.memo.MEMO_ID), textHashOf(loser.memo)), 16);
    m.CAPTION += L" (" + (loser.version.by.empty() ? unknownName_ : shownName(loser.version.by)) + L")";
    // Beside it, and copies of one memo apart from each other.
    // A file may hold any place: moved within what the numbers can hold.
    auto move = [](int32_t& edge, int64_t by) {
        edge = int32_t(std::clamp<int64_t>(edge + by, INT32_MIN, INT32_MAX));
    };
    const int64_t across = int64_t(m.RECT_RIGHT) - m.RECT_LEFT + COPY_GAP,
                  down = int64_t(std::stoull(m.MEMO_ID.substr(0, 4), nullptr, 16) % 5) * 24;
    move(m.RECT_LEFT, across), move(m.RECT_RIGHT, across), move(m.RECT_TOP, down), move(m.RECT_BOTTOM, down);
    return copy;
}

// Folds `other`, another version of the same memo, into `into`. The text and
// the look each take the newer; concurrent texts that differ keep the one
// with the higher hash and give the other a copy.
void MemoSync::resolve(Entry& into, const Entry& other, std::vector<Entry>& copies) const {
    MemoVersion& v = into.version;
    const MemoVersion& o = other.version;
    const bool mine = dominates(v.text, o.text), theirs = dominates(o.text, v.text);
    if (sameText(into.memo, other.memo)) {
        if (theirs && !mine) v.by = o.by;
        else if (!mine && !theirs) v.by = std::max(v.by, o.by);
    } else if (theirs && !mine) {
        takeText(into.memo, other.memo);
        v.by = o.by;
    } else if (!(mine && !theirs)) {
        const bool otherWins = textHash64(other.memo, 0) > textHash64(into.memo, 0);
        Entry loser = otherWins ? into : other;
        copies.push_back(copyOf(loser));
        if (otherWins) takeText(into.memo, other.memo), v.by = o.by;
    }
    v.text = joined(v.text, o.text);

    const bool lookMine = dominates(v.look, o.look), lookTheirs = dominates(o.look, v.look);
    if (!sameLook(into.memo, other.memo)) {
        const bool take = lookTheirs && !lookMine ? true
                          : lookMine && !lookTheirs ? false
                                                    : lookHashOf(other.memo) > lookHashOf(into.memo);
        if (take) takeLook(into.memo, other.memo);
    }
    v.look = joined(v.look, o.look);
    if (o.made.second.empty() == v.made.second.empty() ? o.made < v.made : o.made.second.empty()) v.made = o.made;
}

std::vector<StoredMemo> MemoSync::load(const SyncFile& file) {
    known_.clear();
    bytes_.reset();
    behind_.clear();
    tombstones_ = file.tombstones;
    std::vector<StoredMemo> shown;
    for (size_t i = 0; i < file.memos.size(); ++i) {
        Entry e = versioned(file.memos[i], i);
        // A block copied by hand: a memo of its own.
        if (known_.count(e.memo.MEMO_ID)) e.memo.MEMO_ID = derivedMemoId(e.memo, i);
        if (!known_.emplace(e.memo.MEMO_ID, e).second) continue;
        shown.push_back(e.memo);
    }
    return shown;
}

MemoSync::Plan MemoSync::merge(const std::vector<StoredMemo>& ours, const std::vector<std::string>& pinned,
                               const SyncFile* theirs, const LocalTime& now) {
    Plan plan;
    std::vector<Entry> copies;
    std::map<std::string, Tombstone> tombstones = tombstones_;

    // This PC's state: its windows as versions, folded with what it holds.
    std::vector<Entry> mine;
    std::map<std::string, size_t> mineAt;
    for (const StoredMemo& o : ours) {
        auto held = known_.find(o.MEMO_ID);
        auto behind = behind_.find(o.MEMO_ID);
        const Entry* now = held != known_.end() ? &held->second : nullptr;
        mineAt[o.MEMO_ID] = mine.size();
        mine.push_back(local(o, behind != behind_.end() ? &behind->second : now, now));
    }
    std::map<std::string, Entry> state;
    for (const auto& [id, k] : known_) {
        auto m = mineAt.find(id);
        if (m == mineAt.end()) {
            // Deleted here: the delete is of what its window showed.
            auto behind = behind_.find(id);
            Tombstone& t = tombstones[id];
            t.text = joined(t.text, behind != behind_.end() ? behind->second.version.text : k.version.text);
            t.when = std::max(t.when, now);
            t.textHash = textHashOf(behind != behind_.end() ? behind->second.memo : k.memo);
            if (!dominates(t.text, k.version.text)) state[id] = k;
            continue;
        }
        Entry e = mine[m->second];
        resolve(e, k, copies);
        state[id] = e;
    }
    for (const Entry& m : mine) state.emplace(m.memo.MEMO_ID, m);

    // The other PC's file.
    if (theirs) {
        for (const auto& [id, t] : theirs->tombstones) {
            Tombstone& held = tombstones[id];
            held.text = joined(held.text, t.text);
            held.when = std::max(held.when, t.when);
            held.textHash = std::max(held.textHash, t.textHash);
        }
        for (size_t i = 0; i < theirs->memos.size(); ++i) {
            const StoredMemo& t = theirs->memos[i];
            Entry* match = nullptr;
            auto byId = [&](const std::string& id) {
                auto it = state.find(id);
                return it == state.end() ? nullptr : &it->second;
            };
            if (!t.MEMO_ID.empty()) {
                match = byId(t.MEMO_ID);
            } else {
                // Without an identity: the memo of the same text, else the one it would be given.
                for (auto& [id, s] : state)
                    if (!match && sameText(s.memo, t)) match = &s;
                if (!match) match = byId(derivedMemoId(t, i));
            }
            Entry e = versioned(t, i);
            if (!match) {
                const bool deleted = t.MEMO_ID.empty() && std::any_of(tombstones.begin(), tombstones.end(), [&](const auto& g) {
                    return g.second.textHash == textHashOf(t);
                });
                if (!deleted) state.emplace(e.memo.MEMO_ID, e);
                continue;
            }
            if (!parseMemoVersion(t.MEMO_VERSION)) {
                // Written without versions: the same text is no change; another is one
                // made there from a state unknown, newer only than one without versions.
                auto unversioned = [](const VersionVector& v) {
                    return afterUnversioned({{UNVERSIONED_PC, v.count(UNVERSIONED_PC) ? v.at(UNVERSIONED_PC) : 0u}});
                };
                e.version.text = sameText(t, match->memo) ? match->version.text : unversioned(match->version.text);
                e.version.look = sameLook(t, match->memo) ? match->version.look : unversioned(match->version.look);
                e.version.by = sameText(t, match->memo) ? match->version.by : std::string();
            }
            e.memo.MEMO_ID = match->memo.MEMO_ID;
            resolve(*match, e, copies);
        }
    }
    for (const Entry& c : copies) state.emplace(c.memo.MEMO_ID, c);

    // Tombstones: a memo whose text they hold all of goes; one changed after
    // them stays, and they go. Its text is then after the delete too, so that
    // every PC that held the delete takes it back.
    for (auto e = state.begin(); e != state.end();) {
        auto t = tombstones.find(e->first);
        if (t == tombstones.end()) {
            ++e;
        } else if (dominates(t->second.text, e->second.version.text)) {
            e = state.erase(e);
        } else {
            e->second.version.text = joined(e->second.version.text, t->second.text);
            tombstones.erase(t);
            ++e;
        }
    }
    // Old ones are forgotten only by this PC's own changes: a file is never rewritten for a clock alone.
    for (auto t = tombstones.begin(); !theirs && t != tombstones.end();) {
        const int64_t age = dayNumber(now) - dayNumber(t->second.when);
        t = age > TOMBSTONE_DAYS ? tombstones.erase(t) : std::next(t);
    }

    // The file: the same state is the same bytes on every PC.
    std::map<std::string, size_t> placeOf;
    const std::vector<const Entry*> order = inFileOrder(state);
    for (const Entry* e : order) {
        placeOf[e->memo.MEMO_ID] = plan.memos.size();
        plan.memos.push_back(stamped(*e));
    }
    std::string bytes = blocksOf(order, plan.memos);
    // What the windows do.
    std::map<std::string, Entry> behind;
    for (size_t o = 0; o < ours.size(); ++o) {
        const std::string& id = ours[o].MEMO_ID;
        auto at = placeOf.find(id);
        const int place = at == placeOf.end() ? -1 : int(at->second);
        const bool textChanges = place < 0 || !sameText(plan.memos[place], ours[o]);
        const bool changes = textChanges || !sameLook(plan.memos[place], ours[o]);
        const bool isPinned = std::find(pinned.begin(), pinned.end(), id) != pinned.end();
        plan.place.push_back(place);
        plan.renew.push_back(changes && !isPinned);
        if (changes && isPinned) behind[id] = mine[o], plan.behind = true;
        if (textChanges) plan.keepFirst = true;
    }
    for (const auto& [id, place] : placeOf) {
        if (!mineAt.count(id)) plan.added.push_back(place);
    }
    for (const Entry& c : copies) {
        if (placeOf.count(c.memo.MEMO_ID) && !known_.count(c.memo.MEMO_ID)) plan.copies.push_back(c.memo.CAPTION);
    }
    std::sort(plan.copies.begin(), plan.copies.end());
    plan.copies.erase(std::unique(plan.copies.begin(), plan.copies.end()), plan.copies.end());

    known_ = std::move(state);
    tombstones_ = std::move(tombstones);
    behind_ = std::move(behind);
    bytes_ = std::move(bytes.append(tombstoneLines()));  // formatted once, for the comparison and the write
    plan.write = !theirs || theirs->isCopy || *bytes_ != theirs->bytes;
    return plan;
}

std::string MemoSync::fileBytes() const {
    if (!bytes_) {
        const std::vector<const Entry*> order = inFileOrder(known_);
        std::vector<StoredMemo> memos;
        for (const Entry* e : order) memos.push_back(stamped(*e));
        bytes_ = blocksOf(order, memos) + tombstoneLines();
    }
    return *bytes_;
}

// The blocks of `memos`, stamped from `order`: a block of the last file serves
// again while its memo and versions are those it was made from, so that a save
// formats only the memos that changed.
std::string MemoSync::blocksOf(const std::vector<const Entry*>& order, const std::vector<StoredMemo>& memos) const {
    auto same = [](const Entry& a, const Entry& b) {
        return a.memo == b.memo && a.version.text == b.version.text && a.version.look == b.version.look &&
               a.version.by == b.version.by && a.version.made == b.version.made;
    };
    std::string out;
    out.reserve(bytes_ ? bytes_->size() : 0);
    std::map<std::string, std::pair<size_t, size_t>> blockAt;
    for (size_t i = 0; i < order.size(); ++i) {
        const std::string& id = memos[i].MEMO_ID;
        const auto was = known_.find(id);
        const auto block = blockAt_.find(id);
        const size_t start = out.size();
        if (bytes_ && was != known_.end() && block != blockAt_.end() && same(was->second, *order[i])) {
            out.append(*bytes_, block->second.first, block->second.second);
        } else {
            appendMemoBlock(out, memos[i]);
        }
        blockAt[id] = {start, out.size() - start};
    }
    blockAt_ = std::move(blockAt);
    return out;
}

std::string MemoSync::tombstoneLines() const {
    std::string out;
    for (const auto& [id, t] : tombstones_) {
        out += std::string(TOMBSTONE_KEY) + id + " " + formatVector(t.text) + " " + timeStamp(t.when) + " " +
               hex(t.textHash, 8) + "\r\n";
    }
    return out;
}

namespace {

bool allOf(std::string_view text, bool (*ok)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), ok);
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// A computer name or a device identifier: no blank, no dot.
bool isNameChar(char c) { return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_'; }

}  // namespace

std::optional<std::string> conflictCopyLabel(std::string_view name, std::string_view dataFileName,
                                             const std::vector<std::string>& computers) {
    const size_t dot = dataFileName.rfind('.');
    const std::string_view stem = dataFileName.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : dataFileName.substr(dot);
    if (name.size() <= stem.size() + ext.size() || name.substr(0, stem.size()) != stem ||
        name.substr(name.size() - ext.size()) != ext) {
        return std::nullopt;
    }
    const std::string_view middle = name.substr(stem.size(), name.size() - stem.size() - ext.size());

    constexpr std::string_view SYNCTHING = ".sync-conflict-";
    if (middle.substr(0, SYNCTHING.size()) == SYNCTHING) {
        // "YYYYMMDD-HHMMSS", then "-" and the short identifier of the device that made the change.
        const std::string_view rest = middle.substr(SYNCTHING.size());
        if (rest.size() < 15 || !allOf(rest.substr(0, 8), isDigit) || rest[8] != '-' ||
            !allOf(rest.substr(9, 6), isDigit)) {
            return std::nullopt;
        }
        if (rest.size() == 15) return std::string();
        if (rest[15] != '-' || !allOf(rest.substr(16), isNameChar)) return std::nullopt;
        return std::string(rest.substr(16));
    }

    // Dropbox: " (<computer>'s conflicted copy <date>)", in Japanese
    // " (<computer> の競合コピー <date>)", the name in the system's code page
    // (Shift-JIS) or in UTF-8.
    if (middle.size() > 3 && middle.substr(0, 2) == " (" && middle.back() == ')') {
        for (std::string_view mark : {std::string_view("'s conflicted copy"), std::string_view(" \x82\xcc\x8b\xa3\x8d\x87\x83\x52\x83\x73\x81\x5b"),
                                      std::string_view("\x82\xcc\x8b\xa3\x8d\x87\x83\x52\x83\x73\x81\x5b"),
                                      std::string_view(" \xe3\x81\xae\xe7\xab\xb6\xe5\x90\x88\xe3\x82\xb3\xe3\x83\x94\xe3\x83\xbc"),
                                      std::string_view("\xe3\x81\xae\xe7\xab\xb6\xe5\x90\x88\xe3\x82\xb3\xe3\x83\x94\xe3\x83\xbc")}) {
            const size_t at = middle.find(mark);
            if (at != std::string_view::npos && at >= 2) return std::string(middle.substr(2, at - 2));
        }
        return std::nullopt;
    }

    // OneDrive: "-" and the name of a computer that keeps backups here; any
    // other "Quillpad-<word>.dat" is the user's own file.
    const std::string_view computer = middle.substr(1);
    if (middle[0] == '-' && allOf(computer, isNameChar) &&
        std::find(computers.begin(), computers.end(), computer) != computers.end()) {
        return std::string(computer);
    }
    return std::nullopt;
}
