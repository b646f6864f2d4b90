// Generations: the data file as it stood on disk before a save replaced it,
// kept in the folder "backup" beside it as "Quillpad-YYYYMMDD-HHMMSS.dat",
// named after that file's last-write time in local time. A second state of
// the same second (two saves in one second, the hour that the autumn clock
// change repeats) is "Quillpad-YYYYMMDD-HHMMSS-2.dat", a third "-3" and so on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "store/FileIO.h"
#include "store/LocalTime.h"

namespace generations {

extern const char* const BACKUP_FOLDER;  // "backup"

// Retention: the newest KEEP_NEWEST are kept; of the older ones, the newest
// of each calendar day from KEEP_DAILY_DAYS days before the newest generation
// (or before today, when that is earlier) on.
constexpr size_t KEEP_NEWEST = 30;
constexpr int KEEP_DAILY_DAYS = 90;
// A save keeps a generation when the clock reads more than this away from the newest one.
constexpr int64_t KEEP_AFTER_SECONDS = 60 * 60;
// The most states of one second that get a name.
constexpr int MAX_SEQUENCE = 9999;

// "Quillpad-YYYYMMDD-HHMMSS.dat" for a valid time, with "-<sequence>" before
// ".dat" from the second state of that second on (1 < sequence <= MAX_SEQUENCE).
std::string generationName(const LocalTime& t, int sequence = 1);
// The time in a generation's name and, where asked for, its sequence (1 when
// the name has none); false for every other name: such files in the backup
// folder are never touched.
bool parseGenerationName(std::string_view name, LocalTime& out, int* sequence = nullptr);

// Whether a save about to replace the data file first keeps the file on disk
// as a generation. `firstSaveOfRun` also stands for an earlier save of the run
// whose generation could not be made; `causedByDelete` for a save asked for
// by a deleted tab or memo, or after "全削除" answered Yes; `newest` is the
// time in the newest generation's name, none when there is none. A newest one
// dated more than an hour after `now` is due too: the clock was put back.
bool shouldKeepGeneration(bool firstSaveOfRun, bool causedByDelete, const std::optional<LocalTime>& newest,
                          const LocalTime& now);

// Of the file names in the backup folder (any order), the generations that
// retention deletes, newest first; never `justMade`, the one a save has just
// kept. `today` is the local date (its time is not used).
std::vector<std::string> generationsToDelete(const std::vector<std::string>& names, const LocalTime& today,
                                             std::string_view justMade = {});

struct Generation {
    std::string path;  // a file name for loadMemoFile
    LocalTime time;    // from its name
};

// The backup folder beside `dataFile`.
std::string backupFolder(const char* dataFile);
// The generations of `dataFile`, newest first.
std::vector<Generation> listGenerations(const char* dataFile);

enum class KeepResult {
    Made,           // a new generation holds the file on disk
    AlreadyKept,    // a generation of that second holds the same bytes already
    NothingToKeep,  // no data file on disk
    Failed,         // no room, no rights, "backup" is a file...: the next save tries again
};

// The saves of one run and the generations they keep; held by whoever saves
// the data file, for the whole run. Making a generation never makes a save fail.
class GenerationRun {
public:
    // `clock`: the local time now; the rules are decided by it and by file names only.
    explicit GenerationRun(std::function<LocalTime()> clock = fileio::localNow);

    // Replaces `dataFile` with `data` as fileio::replaceFile does, and first
    // keeps the file on disk as a generation when shouldKeepGeneration says so.
    bool save(const char* dataFile, const std::string& data, bool causedByDelete,
              fileio::SaveFailure* why = nullptr);

    // Keeps the data file as it stands as a generation now, due or not (before
    // a restore, so that the restore can be undone).
    KeepResult keepNow(const char* dataFile);

    // What the last save that was due (or keepNow) did; nullopt before any.
    std::optional<KeepResult> lastKeep() const { return lastKeep_; }

private:
    std::optional<LocalTime> newest(const char* dataFile);
    void kept(const char* dataFile, KeepResult result, const std::string& name, const LocalTime& now);

    std::function<LocalTime()> clock_;
    bool owed_ = true;  // the first save of the run, or a generation that could not be made
    bool newestKnown_ = false;
    // The generation this run kept last, else the newest in the folder: the
    // one kept last is dated by the clock that dates the saves, whatever the
    // older names say.
    std::optional<LocalTime> newest_;
    std::optional<KeepResult> lastKeep_;
};

}  // namespace generations
