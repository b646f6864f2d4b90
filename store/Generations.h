// Generations: the data file as it stood on disk before a save replaced it,
// kept in the folder "backup" beside it as
// "Quillpad-YYYYMMDD-HHMMSS-<computer>-<sequence>.dat". The sequence counts
// the generations that the program on that computer made there: it alone
// orders them. The date and time, the kept file's last-write time in local
// time, only label a generation and group it into days; a clock set wrong or
// a file copied back with an old date changes no order. A generation that
// holds another program's version of the data file, which the user was told
// of, ends in "-kept.dat" and is never deleted by retention. The computer's
// name keeps apart the generations of two computers that share one folder
// (a synchronised program folder): each one adds and deletes only its own.
// Generations named before they had an owner, "Quillpad-YYYYMMDD-HHMMSS.dat"
// or with "-2", "-3"... for more states of one second, are still listed and
// restored; they are ordered by their names among themselves.
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

// Retention, for each computer's generations and for those without an owner:
// the newest KEEP_NEWEST are kept; of the older ones, the newest of each
// calendar day for KEEP_DAILY days that have one. Days are counted, not
// measured back from a date: a wrong clock can keep more, never delete more.
constexpr size_t KEEP_NEWEST = 30;
constexpr size_t KEEP_DAILY = 90;
// A save keeps a generation when the clock reads more than this away from the newest one.
constexpr int64_t KEEP_AFTER_SECONDS = 60 * 60;

struct GenerationName {
    LocalTime time;
    std::string computer;  // empty: named before generations had an owner
    uint32_t sequence = 1;  // without an owner: the state of that second
    bool kept = false;     // another program's version that the user was told of
};

std::string generationName(const GenerationName& g);
// False for every name that is no generation: such files in the backup folder are never touched.
bool parseGenerationName(std::string_view name, GenerationName& out);

// Whether a save about to replace the data file first keeps the file on disk
// as a generation. `firstSaveOfRun` also stands for an earlier save of the run
// whose generation could not be made; `causedByDelete` for a save asked for
// by a deleted tab or memo, or after "全削除" answered Yes; `newest` is the
// time in the newest generation's name, none when there is none. A newest one
// dated more than an hour after `now` is due too: the clock was put back.
bool shouldKeepGeneration(bool firstSaveOfRun, bool causedByDelete, const std::optional<LocalTime>& newest,
                          const LocalTime& now);

// Of the file names in the backup folder (any order), the generations that
// retention deletes on `computer`: its own and those without an owner, never
// a kept one nor `justMade`, the one just made.
std::vector<std::string> generationsToDelete(const std::vector<std::string>& names, std::string_view computer,
                                             std::string_view justMade = {});

struct Generation {
    std::string path;  // a file name for loadMemoFile
    LocalTime time;    // from its name
    bool rescue = false;  // a rescue file (DataFile::rescue), not a backup
};

// The backup folder beside `dataFile`.
std::string backupFolder(const char* dataFile);
// The generations of `dataFile` of every computer, for the restore list:
// newest first by the time in their names.
std::vector<Generation> listGenerations(const char* dataFile);

enum class KeepResult {
    Made,           // a new generation holds the file on disk
    AlreadyKept,    // the newest generation holds the same bytes already
    NothingToKeep,  // no data file on disk
    Failed,         // no room, no rights, "backup" is a file...: the next save tries again
};

// The saves of one run and the generations they keep; held by whoever saves
// the data file, for the whole run. Making a generation never makes a save fail.
class GenerationRun {
public:
    // `clock`: the local time now, for the hourly rule; `computer`: the owner
    // in the names (fileio::computerName()).
    explicit GenerationRun(std::function<LocalTime()> clock = fileio::localNow,
                           std::string computer = fileio::computerName());

    // Replaces `dataFile` with `data` as fileio::replaceFile does, and first
    // keeps the file on disk as a generation when shouldKeepGeneration says so.
    bool save(const char* dataFile, const std::string& data, bool causedByDelete,
              fileio::SaveFailure* why = nullptr);

    // Keeps `source` (the data file itself when none) as a generation of
    // `dataFile` now, due or not: before a restore, so that the restore can be
    // undone, or another program's version (`kept`). `name`, when given, is
    // the generation's file name once there is one.
    KeepResult keepNow(const char* dataFile, bool kept = false, const char* source = nullptr,
                       std::string* name = nullptr);

    // What the last save that was due (or keepNow) did; nullopt before any.
    std::optional<KeepResult> lastKeep() const { return lastKeep_; }

private:
    KeepResult make(const char* dataFile, const char* source, bool kept, std::string& name);
    std::optional<LocalTime> newest(const char* dataFile);
    void afterKeep(const char* dataFile, KeepResult result, const std::string& name);

    std::function<LocalTime()> clock_;
    const std::string computer_;
    bool owed_ = true;  // the first save of the run, or a generation that could not be made
    bool newestKnown_ = false;
    // The time in the name of the newest generation of this computer.
    std::optional<LocalTime> newest_;
    std::optional<KeepResult> lastKeep_;
};

}  // namespace generations
