// PCs that share the data file through a sync engine. Each memo carries two
// version vectors, one for its text (caption, tab titles and texts) and one
// for its look (place, colours, flags, selected tab), each counting the
// changes every PC made: a version is newer when its vector dominates, and
// concurrent when neither does. A delete leaves a tombstone with the text's
// vector. MemoSync holds what this PC last wrote or took and decides, for the
// memos shown here and another PC's file, what to show, what to write and
// what to keep first; the resident window feeds it and obeys. Window-free,
// no file access. What it keeps:
// - equal files bring nothing new: the bytes it writes for a state depend
//   only on that state and the order of the file it came from;
// - a text kept on any PC stays in a live memo unless a PC that had shown it
//   changed or deleted it; two concurrent texts are both kept, the one with
//   the higher hash in the memo, the other in a copy captioned with the name
//   of its PC, whose identity follows from the pair, so every PC makes the
//   same one;
// - a look never makes a copy: the newer wins, concurrent ones by hash;
// - a file older than what this PC holds changes nothing; a memo that a file
//   lacks is deleted only by a tombstone that its vector does not outrun.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "store/LocalTime.h"
#include "store/MemoFile.h"

// Changes counted per PC (its id).
using VersionVector = std::map<std::string, uint32_t>;
// Whether `a` holds every change that `b` holds.
bool dominates(const VersionVector& a, const VersionVector& b);

// A memo's versions as its identity line states them (MEMO_VERSION).
struct MemoVersion {
    VersionVector text, look;
    // Of the text and the look that the vectors name: a reader that keeps the
    // line as it is but changes the memo (the previous version) shows.
    uint32_t textHash = 0, lookHash = 0;
    std::string by;  // the PC whose change the text is, in file-name form (fileio::computerName)
    // Where the memo was made: the count and the PC that made it, or its place
    // in a file without versions. The file keeps memos in this order, so that
    // one PC's file keeps the order they were made in and every PC writes the same.
    std::pair<uint32_t, std::string> made;
};
std::optional<MemoVersion> parseMemoVersion(std::string_view line);
std::string formatMemoVersion(const MemoVersion& version);
uint32_t textHashOf(const StoredMemo& memo);
uint32_t lookHashOf(const StoredMemo& memo);

// A deleted memo: the text's vector when it was deleted, and when.
struct Tombstone {
    VersionVector text;
    LocalTime when;
    // Of the text deleted: the same memo from a file without identities stays deleted.
    uint32_t textHash = 0;
    bool operator==(const Tombstone& o) const { return text == o.text && when == o.when && textHash == o.textHash; }
};
// Tombstones older than this are dropped: a file away longer may bring its memo back.
constexpr int TOMBSTONE_DAYS = 180;

// The file as another PC wrote it, and whether it is whole.
struct SyncFile {
    std::vector<StoredMemo> memos;
    std::map<std::string, Tombstone> tombstones;
    std::string bytes;
    bool isCopy = false;  // a sync engine's conflict copy beside the file
};
// The tombstones after the last memo block.
std::map<std::string, Tombstone> readTombstones(std::string_view bytes);
// Reads a file's memos and tombstones; none when it is not complete (its
// last block unfinished, a line cut off): it is being written.
std::optional<SyncFile> readSyncFile(std::string_view bytes, ScreenSize screen);

// A new memo's identity: 16 hex digits, unique across runs and PCs.
std::string newMemoId();
// The identity that every PC gives the memo at `place` of a file written
// without identities (0 first).
std::string derivedMemoId(const StoredMemo& memo, size_t place);
// A new PC id: 8 hex digits.
std::string newPcId();
// This PC: its id, and a count above every change it has counted, kept in
// its own settings folder (fileio::localFolder), never in the shared one:
// two PCs of one name have two ids. A new id each run when it cannot be kept.
struct PcIdentity {
    std::string id;
    uint32_t counted = 0;
};
PcIdentity thisPc();
void keepPc(const PcIdentity& pc);

class MemoSync {
public:
    // `pcName`: its computer name in file-name form, for the captions of
    // copies. Every change this PC counts is above all it counted before,
    // also in runs whose file was older: counts are taken ahead in blocks,
    // each kept through `keep` before it is used.
    // `unknownName`: the caption's name for a text of a PC without versions.
    MemoSync(PcIdentity pc, std::string pcName, std::function<void(const PcIdentity&)> keep = {},
             std::wstring unknownName = L"?");

    // The file read at the start: the memos to show, each with an identity.
    std::vector<StoredMemo> load(const SyncFile& file);

    struct Plan {
        // What the file holds after the merge, in the file's order.
        std::vector<StoredMemo> memos;
        // For each of ours: its place in `memos` (-1: none, deleted), and
        // whether its window must be made anew from it (or go, for -1).
        std::vector<int> place;
        std::vector<bool> renew;
        // Places in `memos` of memos that no window of ours shows yet.
        std::vector<size_t> added;
        // The captions of the copies made of concurrent texts.
        std::vector<std::wstring> copies;
        // A text of ours is replaced or removed: keep ours as a generation first.
        bool keepFirst = false;
        // The file lacks something that `memos` or the tombstones hold.
        bool write = false;
        // A memo that cannot change now (pinned) is behind: merge again once it can.
        bool behind = false;
    };
    // `ours`: the memos shown here, each with its identity, in the windows'
    // order; `pinned`: identities of those whose windows cannot change now
    // (being edited or dragged); `theirs`: the file when another PC changed
    // it, none to take only this PC's changes. Afterwards fileBytes() is the
    // file for the plan.
    Plan merge(const std::vector<StoredMemo>& ours, const std::vector<std::string>& pinned,
               const SyncFile* theirs, const LocalTime& now);

    // The file for the state after the last load or merge.
    std::string fileBytes() const;
    // A window shows an older state than the file: merge again once it can change.
    bool behind() const { return !behind_.empty(); }

private:
    struct Entry {
        StoredMemo memo;
        MemoVersion version;
    };
    // The memo with its versions on its identity line.
    static StoredMemo stamped(const Entry& e);
    // In the order they were made, then by identity.
    static std::vector<const Entry*> inFileOrder(const std::map<std::string, Entry>& memos);
    Entry versioned(const StoredMemo& memo, size_t place) const;
    Entry local(const StoredMemo& shown, const Entry* base, const Entry* now);
    uint32_t nextCount(uint32_t above);
    void resolve(Entry& into, const Entry& other, std::vector<Entry>& copies) const;
    Entry copyOf(const Entry& loser) const;

    std::string pcId_, pcName_;
    std::function<void(const PcIdentity&)> keep_;
    std::wstring unknownName_;
    uint32_t count_, reserved_;
    std::map<std::string, Entry> known_;  // the file as this PC last wrote or took it, by identity
    std::map<std::string, Tombstone> tombstones_;
    // Windows that show an older state than known_ (or one deleted): what they show.
    std::map<std::string, Entry> behind_;
    mutable std::optional<std::string> bytes_;  // fileBytes() of the state, once made
    mutable std::map<std::string, std::pair<size_t, size_t>> blockAt_;  // each memo's block in bytes_
    std::string blocksOf(const std::vector<const Entry*>& order, const std::vector<StoredMemo>& memos) const;
    std::string tombstoneLines() const;
};

// When `name`, a file beside the data file `dataFileName`, is the copy that
// a sync engine made of it in a conflict: the name of the other side in that
// file name (a device or computer name; empty when it names none).
// Syncthing: "Quillpad.sync-conflict-20240102-030405-ABCDEFG.dat"; Dropbox:
// "Quillpad (PC's conflicted copy 2024-01-02).dat" and its Japanese
// "Quillpad (PC の競合コピー 2024-01-02).dat"; OneDrive: "Quillpad-PC.dat",
// only for a computer in `computers` (those the backup folder names).
std::optional<std::string> conflictCopyLabel(std::string_view name, std::string_view dataFileName,
                                             const std::vector<std::string>& computers);
