// The data file on disk and its one owner: it reads and saves the file, keeps
// its generations, notices when another program changed it, knows why the
// last save failed, and keeps the notes in a rescue file when the data file
// cannot be written. Nobody else touches the file.
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
    // `clock`: the local time now, for the generations' rules; `computer`:
    // the owner of the generations this run makes (store/Generations.h).
    explicit DataFile(std::string path, std::function<LocalTime()> clock = fileio::localNow,
                      std::string computer = fileio::computerName());

    const std::string& path() const { return path_; }

    // As loadMemoFile; what was read is what a save compares the file with.
    // Also takes up what an earlier run left untold (untold(), rescued()).
    // `bytes`, when given, receives what was read.
    LoadResult load(ScreenSize screen, const MemoSink& sink, std::string* bytes = nullptr);

    // Replaces the file with these bytes (formatMemos') in one step, first keeping the file
    // on disk as a generation when one is due (store/Generations.h), or
    // whatever is due when another program has changed the file since this
    // run last read or wrote it. `causedByDelete`: the save removes a deleted
    // tab or memo. False leaves the file as it was, and failure() says why.
    bool save(const std::string& data, bool causedByDelete);

    // Keeps the file as it stands as a generation now, due or not.
    generations::KeepResult keepNow();
    // The generations and the rescue files (rescue()), newest first by the time in their names.
    std::vector<generations::Generation> generations() const;

    // Why the last save failed; None after a save that succeeded.
    fileio::SaveFailure failure() const { return failure_; }

    // The times of the generations that hold another program's version of
    // the file, kept by a save and not yet told to the user, oldest first.
    // A mark in the backup folder holds them until told() says so, also
    // across the end of the process: the next run tells them.
    const std::vector<LocalTime>& untold() const { return untold_; }
    void told(size_t count);  // the first `count` of untold() have been told

    // The folder a rescue file goes to first: the user's documents folder.
    std::string rescueFolder() const;
    // Writes `data` to a new rescue file "Quillpad-rescue-YYYYMMDD-HHMMSS-
    // <tag>-N.dat" in the first user folder where it can be written
    // (fileio::userFolders) and leaves a mark beside it that names the data
    // file, so that the next start on this data folder tells where it is.
    // The data file is not touched. The file's path; none when no folder took it.
    std::optional<std::string> rescue(const std::string& data);
    // The rescue files an earlier run made and that load() found marked as
    // untold; the marks are gone once this has been asked.
    std::vector<std::string> takeRescued();

    // The file as another program (a sync engine bringing another PC's
    // version) left it, when it changed since this run last read or wrote it
    // and can be read now. Its size and time are those before the read: a
    // version that arrives during the read is another change.
    struct Version {
        std::string bytes;
        uint64_t size = 0, writeTime = 0;
    };
    // `settled`: only when it has not changed since the last look either (an
    // engine or a network drive may still be writing it).
    std::optional<Version> otherVersion(bool settled = false);
    // That version is now what this run last read.
    void adopt(const Version& version);
    // Keeps `bytes`, this run's memos, as a generation, as a save would keep the file.
    generations::KeepResult keepBytes(const std::string& bytes);

    // The copies that sync engines made of the file beside it in conflicts
    // (store/MemoSync.h) that can be read now, less those already merged.
    struct ConflictCopy {
        std::string path;
        std::string otherName;  // as the copy's name gives the other side; may be empty
        std::string bytes;
        uint64_t size = 0, writeTime = 0;
    };
    std::vector<ConflictCopy> conflictCopies() const;
    // Moves a merged copy into the backup folder as a generation, thinned as
    // the others; one that cannot be moved is not offered again.
    void moveToBackup(const ConflictCopy& copy);

private:
    // The file as this run last read or wrote it.
    struct Seen {
        bool exists = false;
        uint64_t size = 0, writeTime = 0, hash = 0;
    };
    void remember(bool exists, const std::string& bytes);
    bool changedByAnother() const;
    std::string untoldMark() const;
    std::string rescueTag() const;
    std::string rescueMark() const;
    void writeUntoldMark();

    std::string path_;
    std::function<LocalTime()> clock_;
    std::string computer_;
    generations::GenerationRun run_;
    std::optional<Seen> seen_;  // none until the first load or save
    fileio::SaveFailure failure_ = fileio::SaveFailure::None;
    std::vector<std::string> untoldNames_;  // the generations of untold()
    std::vector<LocalTime> untold_;
    std::vector<std::string> rescued_;
    std::optional<Seen> lastLook_;  // the other version as the last look found it
    std::vector<std::pair<std::string, uint64_t>> mergedCopies_;  // path and write time of copies that stayed
};
