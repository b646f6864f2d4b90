// Two PCs that share the data file through a sync engine: each memo's
// identity, the merge of another PC's version of the file with the memos
// open here, and the copies that sync engines make of the file in a conflict.
// Window-free, no file access.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>
#include "store/MemoFile.h"

// A new memo's identity: 16 hex digits, unique across runs and PCs.
std::string newMemoId();
// The identity of the memo at `place` (0 first) of a file written without
// identities, from its place and content: every PC that reads the same file
// gives its memos the same identities.
std::string derivedMemoId(const StoredMemo& memo, size_t place);
// Gives every memo without an identity its derived one.
void giveMissingIds(std::vector<StoredMemo>& memos);

using CaptionText = decltype(StoredMemo::CAPTION);

// One state of one memo: its identity, caption and tabs.
uint64_t memoStateHash(const StoredMemo& memo);
// The same as 16 hex digits, as MEMO_FROM names a state.
std::string memoStateId(const StoredMemo& memo);
uint64_t memoStateHash(const std::string& id, const CaptionText& caption, const std::vector<MemoTab>& tabs);

struct MergeOptions {
    // Names the other PC in the caption of its version of a memo that both changed.
    CaptionText otherName;
    // `theirs` is a sync engine's conflict copy, a snapshot beside the file:
    // a memo that it lacks is not deleted.
    bool theirsIsCopy = false;
    // The memoStateHash of every state this run has read, written or merged.
    // Theirs holding one of them has not changed that memo: it is the other
    // PC's file written before it had met this PC's later change (a sync
    // engine's race), or this PC's own. May be null.
    const std::unordered_set<uint64_t>* seen = nullptr;
    // Memos (by identity) whose windows cannot take a change now (being
    // edited, being dragged): they stay as ours, and theirs is added beside
    // when it changed the memo's caption or tabs.
    std::vector<std::string> pinned;
};

struct MergeResult {
    // Ours in their order (less the deleted), then the memos that only the
    // merge brings: theirs' additions and their side of a memo both changed.
    std::vector<StoredMemo> memos;
    // For each of ours, its place in `memos`; -1 when the merge deletes it.
    std::vector<int> ourPlace;
    // The ones of ours whose caption or tabs both sides changed: theirs was added beside.
    std::vector<size_t> conflicts;
    // Where in `memos` those versions of theirs are.
    std::vector<size_t> beside;
    // For each of theirs, the identity it has here (empty for none): what the
    // next merge's base holds of a file written without identities.
    std::vector<std::string> theirIds;
};

// Merges memo by memo. `base` is the file as this run last read it,
// `theirs` the file on disk now, `ours` the memos open here; every memo of
// `base` and `ours` has an identity. A memo of `theirs` without one (a
// version that does not know identities rewrote the file) is matched to the
// base by its content, then by its tabs, then by its place and caption.
// A version edited from the other side's state (MEMO_FROM) is the newer; one
// that this run has met before (its own, or one it took) is older. Otherwise
// a memo changed since the base on one side only takes that side's change;
// when both changed it, each part (caption and tabs, place, look with the
// reminder) comes from the side that changed it, and if both changed the caption or tabs
// differently ours stays and theirs is added beside, under the caption
// followed by the other PC's name, with an identity that both PCs give that
// pair of versions. A memo taken from theirs, or added, is MEMO_FROM its state.
MergeResult mergeMemos(const std::vector<StoredMemo>& base, const std::vector<StoredMemo>& theirs,
                       const std::vector<StoredMemo>& ours, const MergeOptions& options);

// When `name`, a file beside the data file `dataFileName`, is the copy that
// a sync engine made of it in a conflict: the name of the other side in that
// file name (a device or computer name; empty when it names none).
// Syncthing: "Quillpad.sync-conflict-20240102-030405-ABCDEFG.dat"; Dropbox:
// "Quillpad (PC's conflicted copy 2024-01-02).dat"; OneDrive: "Quillpad-PC.dat".
std::optional<std::string> conflictCopyLabel(std::string_view name, std::string_view dataFileName);
