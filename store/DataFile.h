// The data file on disk and its one owner: it reads and saves the file, keeps
// its generations, notices when another program changed it, and knows why
// the last save failed. Nobody else touches the file.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include "store/FileIO.h"
#include "store/Generations.h"
#include "store/MemoFile.h"

class DataFile {
public:
    // `clock`: the local time now, for the generations' rules.
    explicit DataFile(std::string path, std::function<LocalTime()> clock = fileio::localNow);

    const std::string& path() const { return path_; }

    // As loadMemoFile; what was read is what a save compares the file with.
    LoadResult load(ScreenSize screen, const MemoSink& sink);

    // Replaces the file with these bytes (formatMemos') in one step, first keeping the file
    // on disk as a generation when one is due (store/Generations.h), or
    // whatever is due when another program has changed the file since this
    // run last read or wrote it. `causedByDelete`: the save removes a deleted
    // tab or memo. False leaves the file as it was, and failure() says why.
    bool save(const std::string& data, bool causedByDelete);

    // Keeps the file as it stands as a generation now, due or not.
    generations::KeepResult keepNow();
    std::vector<generations::Generation> generations() const;

    // Why the last save failed; None after a save that succeeded.
    fileio::SaveFailure failure() const { return failure_; }

    // The file's bytes when another program (a sync engine bringing another
    // PC's version) has changed it since this run last read or wrote it, and
    // it can be read now.
    std::optional<std::string> otherVersion() const;
    // These bytes, from otherVersion, are now what this run last read.
    void adopt(const std::string& bytes) { remember(true, bytes); }
    // The copies that sync engines made of the file beside it in conflicts
    // (store/MemoMerge.h), those that can be read now.
    struct ConflictCopy {
        std::string path;
        std::string otherName;  // as the copy's name gives the other side; may be empty
        std::string bytes;
    };
    std::vector<ConflictCopy> conflictCopies() const;
    // Moves such a copy into the backup folder as a generation; false leaves it where it is.
    bool moveToBackup(const std::string& copy);

    // Once for each save that found another program's version of the file and
    // kept it: the time of that generation, as the restore list names it.
    std::optional<LocalTime> takeOtherVersionKept();

private:
    // The file as this run last read or wrote it.
    struct Seen {
        bool exists = false;
        uint64_t size = 0, writeTime = 0, hash = 0;
    };
    void remember(bool exists, const std::string& bytes);
    bool changedByAnother() const;

    std::string path_;
    generations::GenerationRun run_;
    std::optional<Seen> seen_;  // none until the first load or save
    fileio::SaveFailure failure_ = fileio::SaveFailure::None;
    std::optional<LocalTime> otherVersionKept_;
};
