#include "store/MemoMerge.h"
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>

namespace {

const uint64_t FNV_PRIME = 0x100000001b3ull;

uint64_t mix(uint64_t hash, uint64_t value) { return (hash ^ value) * FNV_PRIME; }

// Any text type: the hash follows its code units.
template <class Text>
uint64_t mixText(uint64_t hash, const Text& text) {
    for (auto unit : text) hash = mix(hash, static_cast<uint64_t>(unit));
    return mix(hash, text.size());
}

uint64_t textHash(const CaptionText& caption, const std::vector<MemoTab>& tabs, uint64_t seed) {
    uint64_t hash = mixText(seed, caption);
    for (const MemoTab& tab : tabs) hash = mixText(mixText(hash, tab.title), tab.text);
    return hash;
}
uint64_t textHash(const StoredMemo& memo, uint64_t seed) { return textHash(memo.CAPTION, memo.tabs, seed); }

std::string hexId(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// The parts of a memo that either side may change on its own.
bool sameText(const StoredMemo& a, const StoredMemo& b) { return a.tabs == b.tabs && a.CAPTION == b.CAPTION; }
bool samePlace(const StoredMemo& a, const StoredMemo& b) {
    return a.RECT_LEFT == b.RECT_LEFT && a.RECT_TOP == b.RECT_TOP && a.RECT_RIGHT == b.RECT_RIGHT &&
           a.RECT_BOTTOM == b.RECT_BOTTOM;
}
bool sameLook(const StoredMemo& a, const StoredMemo& b) {
    return a.appearance == b.appearance && a.MEMO_SELECT_INDEX == b.MEMO_SELECT_INDEX && a.REMINDER == b.REMINDER;
}
bool sameExceptId(const StoredMemo& a, const StoredMemo& b) { return sameText(a, b) && samePlace(a, b) && sameLook(a, b); }

void takePlace(StoredMemo& to, const StoredMemo& from) {
    to.RECT_LEFT = from.RECT_LEFT, to.RECT_TOP = from.RECT_TOP;
    to.RECT_RIGHT = from.RECT_RIGHT, to.RECT_BOTTOM = from.RECT_BOTTOM;
}

// For each memo of `side`, its memo in `base` (-1: none). By identity; a
// memo without one on either side by the fallbacks in their order, each
// trying the same place first.
std::vector<int> matchToBase(const std::vector<StoredMemo>& base, const std::vector<StoredMemo>& side) {
    std::vector<int> match(side.size(), -1);
    std::vector<bool> taken(base.size());
    for (size_t i = 0; i < side.size(); ++i) {
        if (side[i].MEMO_ID.empty()) continue;
        for (size_t b = 0; b < base.size(); ++b) {
            if (!taken[b] && base[b].MEMO_ID == side[i].MEMO_ID) {
                match[i] = int(b), taken[b] = true;
                break;
            }
        }
    }
    // Memos alike in content (new memos all are) are told apart by their place.
    using Rule = bool (*)(const StoredMemo&, const StoredMemo&, bool samePlaceInFile);
    const Rule rules[] = {
        [](const StoredMemo& a, const StoredMemo& b, bool) { return sameExceptId(a, b); },
        [](const StoredMemo& a, const StoredMemo& b, bool at) { return at && (a.CAPTION == b.CAPTION || a.tabs == b.tabs); },
        [](const StoredMemo& a, const StoredMemo& b, bool) { return sameText(a, b); },
    };
    for (Rule rule : rules) {
        for (size_t i = 0; i < side.size(); ++i) {
            if (match[i] >= 0) continue;
            auto fits = [&](size_t b) {
                return !taken[b] && (side[i].MEMO_ID.empty() || base[b].MEMO_ID.empty()) && rule(side[i], base[b], b == i);
            };
            size_t found = i < base.size() && fits(i) ? i : base.size();
            for (size_t b = 0; found == base.size() && b < base.size(); ++b) {
                if (fits(b)) found = b;
            }
            if (found < base.size()) match[i] = int(found), taken[found] = true;
        }
    }
    return match;
}

bool holdsId(const std::vector<StoredMemo>& memos, const std::string& id) {
    return !id.empty() && std::any_of(memos.begin(), memos.end(), [&](const StoredMemo& m) { return m.MEMO_ID == id; });
}

// Moved down and right of the memo it stands beside, as a new memo cascades.
const int32_t BESIDE_OFFSET = 24;

}  // namespace

std::string newMemoId() {
    static std::atomic<uint64_t> count{0};
    uint64_t seed = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    seed = mix(mix(seed, static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())), ++count);
    try {
        std::random_device device;
        seed = mix(mix(seed, device()), device());
    } catch (...) {
        // no random device: the clocks and the count still differ
    }
    return hexId(std::mt19937_64(seed)());
}

std::string derivedMemoId(const StoredMemo& memo, size_t place) {
    return hexId(textHash(memo, mix(0xcbf29ce484222325ull, place)));
}

uint64_t memoStateHash(const StoredMemo& memo) { return memoStateHash(memo.MEMO_ID, memo.CAPTION, memo.tabs); }
std::string memoStateId(const StoredMemo& memo) { return hexId(memoStateHash(memo)); }
uint64_t memoStateHash(const std::string& id, const CaptionText& caption, const std::vector<MemoTab>& tabs) {
    return textHash(caption, tabs, mixText(0xcbf29ce484222325ull, id));
}

void giveMissingIds(std::vector<StoredMemo>& memos) {
    for (size_t i = 0; i < memos.size(); ++i) {
        if (memos[i].MEMO_ID.empty()) memos[i].MEMO_ID = derivedMemoId(memos[i], i);
    }
}

MergeResult mergeMemos(const std::vector<StoredMemo>& base, const std::vector<StoredMemo>& theirs,
                       const std::vector<StoredMemo>& ours, const MergeOptions& options) {
    MergeResult result;
    const std::vector<int> ourBase = matchToBase(base, ours);
    const std::vector<int> theirBase = matchToBase(base, theirs);
    std::vector<int> theirOf(base.size(), -1);
    for (size_t t = 0; t < theirs.size(); ++t) {
        if (theirBase[t] >= 0) theirOf[theirBase[t]] = int(t);
    }
    std::vector<bool> oursHas(base.size());
    std::vector<StoredMemo> brought;
    std::vector<bool> broughtBeside;
    std::vector<int> broughtFrom;  // its place in `theirs`, -1 for a version beside
    result.theirIds.resize(theirs.size());
    for (size_t t = 0; t < theirs.size(); ++t) {
        if (theirBase[t] >= 0) result.theirIds[t] = base[theirBase[t]].MEMO_ID;
    }

    // Whether this run has met that state of the memo `id`.
    auto seen = [&](const StoredMemo& memo, const std::string& id) {
        return options.seen && options.seen->count(memoStateHash(id, memo.CAPTION, memo.tabs)) > 0;
    };
    // Theirs beside ours: its identity follows from the memo and the pair of
    // versions, so that both PCs, each keeping its own, make one memo.
    auto beside = [&](const StoredMemo& their, const StoredMemo& mine) {
        StoredMemo copy = their;
        const uint64_t a = textHash(their, 0), b = textHash(mine, 0);
        copy.MEMO_ID = hexId(mix(mixText(std::min(a, b), mine.MEMO_ID), std::max(a, b)));
        if (!options.otherName.empty()) {
            copy.CAPTION += ' ';
            copy.CAPTION += '(';
            copy.CAPTION += options.otherName;
            copy.CAPTION += ')';
        }
        copy.RECT_LEFT += BESIDE_OFFSET, copy.RECT_RIGHT += BESIDE_OFFSET;
        copy.RECT_TOP += BESIDE_OFFSET, copy.RECT_BOTTOM += BESIDE_OFFSET;
        copy.MEMO_FROM = memoStateId(copy);
        brought.push_back(std::move(copy));
        broughtBeside.push_back(true);
        broughtFrom.push_back(-1);
    };

    for (size_t o = 0; o < ours.size(); ++o) {
        const StoredMemo& mine = ours[o];
        const int b = ourBase[o];
        result.ourPlace.push_back(int(result.memos.size()));
        if (b < 0) {  // added here
            result.memos.push_back(mine);
            continue;
        }
        oursHas[b] = true;
        const StoredMemo& was = base[b];
        const bool pinned = std::find(options.pinned.begin(), options.pinned.end(), mine.MEMO_ID) != options.pinned.end();
        const int t = theirOf[b];
        if (t < 0) {  // deleted there: an edit here keeps it
            if (options.theirsIsCopy || pinned || !sameExceptId(mine, was)) {
                result.memos.push_back(mine);
            } else {
                result.ourPlace.back() = -1;
            }
            continue;
        }
        const StoredMemo& their = theirs[t];
        StoredMemo merged = mine;
        const std::string theirState = hexId(memoStateHash(mine.MEMO_ID, their.CAPTION, their.tabs));
        const bool theirsNewer = !their.MEMO_FROM.empty() && their.MEMO_FROM == memoStateId(mine);
        const bool oursNewer = mine.MEMO_FROM == theirState || seen(their, mine.MEMO_ID);
        if (!sameText(their, mine) && !oursNewer && (theirsNewer || !sameText(their, was))) {
            if (pinned || (!theirsNewer && !sameText(mine, was))) {
                result.conflicts.push_back(o);
                beside(their, mine);
            } else {
                merged.tabs = their.tabs;
                merged.CAPTION = their.CAPTION;
                merged.MEMO_FROM = theirState;
            }
        }
        // A copy's place and look are a snapshot's.
        const bool takesParts = !pinned && !options.theirsIsCopy;
        if (takesParts && samePlace(mine, was)) takePlace(merged, their);
        if (takesParts && sameLook(mine, was)) {
            merged.appearance = their.appearance;
            merged.MEMO_SELECT_INDEX = their.MEMO_SELECT_INDEX;
            merged.REMINDER = their.REMINDER;
        }
        result.memos.push_back(std::move(merged));
    }

    for (size_t t = 0; t < theirs.size(); ++t) {
        const StoredMemo& their = theirs[t];
        const int b = theirBase[t];
        if (b >= 0) {
            // Deleted here: it comes back only with their change.
            if (oursHas[b] || sameExceptId(their, base[b]) || seen(their, base[b].MEMO_ID)) continue;
            brought.push_back(their);
            broughtBeside.push_back(false);
            broughtFrom.push_back(int(t));
            if (brought.back().MEMO_ID.empty()) brought.back().MEMO_ID = base[b].MEMO_ID;
            continue;
        }
        // Added there, unless added here too or deleted here since.
        if (holdsId(ours, their.MEMO_ID) || (!their.MEMO_ID.empty() && seen(their, their.MEMO_ID))) continue;
        brought.push_back(their);
        broughtBeside.push_back(false);
        broughtFrom.push_back(int(t));
    }

    for (size_t i = 0; i < brought.size(); ++i) {
        StoredMemo& memo = brought[i];
        if (holdsId(result.memos, memo.MEMO_ID)) continue;
        if (memo.MEMO_ID.empty()) memo.MEMO_ID = derivedMemoId(memo, result.memos.size());
        if (broughtFrom[i] >= 0) result.theirIds[broughtFrom[i]] = memo.MEMO_ID;
        memo.MEMO_FROM = memoStateId(memo);  // as it arrives here
        if (broughtBeside[i]) result.beside.push_back(result.memos.size());
        result.memos.push_back(std::move(memo));
    }
    return result;
}

namespace {

bool allOf(std::string_view text, bool (*ok)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), ok);
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// A computer name or a device identifier: no blank, no dot.
bool isNameChar(char c) { return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_'; }

}  // namespace

std::optional<std::string> conflictCopyLabel(std::string_view name, std::string_view dataFileName) {
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

    constexpr std::string_view DROPBOX = "'s conflicted copy";
    if (middle.size() > 3 && middle.substr(0, 2) == " (" && middle.back() == ')') {
        const size_t at = middle.find(DROPBOX);
        if (at == std::string_view::npos) return std::nullopt;
        return std::string(middle.substr(2, at - 2));
    }

    // OneDrive: "-" and the computer name. The generations' names (a date) are
    // never beside the file.
    if (middle[0] == '-' && allOf(middle.substr(1), isNameChar) &&
        !(middle.size() > 9 && allOf(middle.substr(1, 8), isDigit) && middle[9] == '-')) {
        return std::string(middle.substr(1));
    }
    return std::nullopt;
}
