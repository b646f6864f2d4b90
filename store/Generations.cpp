#include "store/Generations.h"
#include <algorithm>
#include <climits>
#include <cstdio>

namespace generations {

const char* const BACKUP_FOLDER = "backup";

namespace {

constexpr std::string_view PREFIX = "Quillpad-";
constexpr std::string_view SUFFIX = ".dat";
constexpr size_t NAME_LENGTH = PREFIX.size() + 8 + 1 + 6 + SUFFIX.size();

// The number of `count` digits at `p`; -1 when one of them is no digit.
int digits(std::string_view s, size_t p, size_t count) {
    int value = 0;
    for (size_t i = p; i < p + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return -1;
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

struct Named {
    LocalTime time;
    const std::string* name;
};

std::vector<Named> parseAll(const std::vector<std::string>& names) {
    std::vector<Named> out;
    for (const std::string& name : names) {
        LocalTime t;
        if (parseGenerationName(name, t)) out.push_back({t, &name});
    }
    std::sort(out.begin(), out.end(), [](const Named& a, const Named& b) { return b.time < a.time; });
    return out;
}

// Makes the generation of the file on disk.
KeepResult makeGeneration(const char* dataFile) {
    LocalTime stamp;
    if (!fileio::lastWriteTime(dataFile, stamp)) return KeepResult::NothingToKeep;
    if (!isValidLocalTime(stamp)) return KeepResult::Failed;
    const std::string folder = backupFolder(dataFile);
    if (!fileio::makeFolder(folder.c_str())) return KeepResult::Failed;
    switch (fileio::keepFileAs(dataFile, fileio::inFolder(folder, generationName(stamp)).c_str())) {
    case fileio::KeepOutcome::Made: return KeepResult::Made;
    case fileio::KeepOutcome::Exists: return KeepResult::AlreadyKept;
    case fileio::KeepOutcome::Missing: return KeepResult::NothingToKeep;
    case fileio::KeepOutcome::Failed: break;
    }
    return KeepResult::Failed;
}

}  // namespace

std::string generationName(const LocalTime& t) {
    char name[NAME_LENGTH + 1];
    std::snprintf(name, sizeof name, "Quillpad-%04d%02d%02d-%02d%02d%02d.dat", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return name;
}

bool parseGenerationName(std::string_view name, LocalTime& out) {
    if (name.size() != NAME_LENGTH || name.substr(0, PREFIX.size()) != PREFIX ||
        name.substr(NAME_LENGTH - SUFFIX.size()) != SUFFIX || name[PREFIX.size() + 8] != '-')
        return false;
    const size_t date = PREFIX.size(), time = date + 9;
    LocalTime t{digits(name, date, 4),     digits(name, date + 4, 2), digits(name, date + 6, 2),
                digits(name, time, 2),     digits(name, time + 2, 2), digits(name, time + 4, 2)};
    if (!isValidLocalTime(t)) return false;
    out = t;
    return true;
}

bool shouldKeepGeneration(bool firstSaveOfRun, bool causedByDelete, const std::optional<LocalTime>& newest,
                          const LocalTime& now) {
    return firstSaveOfRun || causedByDelete || !newest || secondsBetween(*newest, now) > KEEP_AFTER_SECONDS;
}

std::vector<std::string> generationsToDelete(const std::vector<std::string>& names, const LocalTime& today) {
    const std::vector<Named> all = parseAll(names);
    const int64_t firstDay = dayNumber(addDays(today, -KEEP_DAILY_DAYS)), lastDay = dayNumber(today);
    std::vector<std::string> doomed;
    int64_t dayKept = INT64_MIN;
    for (size_t i = KEEP_NEWEST; i < all.size(); ++i) {
        // Newest first: the first of a day met here is that day's newest of the older ones.
        const int64_t day = dayNumber(all[i].time);
        if (day >= firstDay && day <= lastDay && day != dayKept) {
            dayKept = day;
        } else {
            doomed.push_back(*all[i].name);
        }
    }
    return doomed;
}

std::string backupFolder(const char* dataFile) { return fileio::besideFile(dataFile, BACKUP_FOLDER); }

std::vector<Generation> listGenerations(const char* dataFile) {
    const std::string folder = backupFolder(dataFile);
    const std::vector<std::string> names = fileio::filesIn(folder.c_str());
    std::vector<Generation> out;
    for (const Named& g : parseAll(names)) out.push_back({fileio::inFolder(folder, *g.name), g.time});
    return out;
}

GenerationRun::GenerationRun(std::function<LocalTime()> clock) : clock_(std::move(clock)) {}

bool GenerationRun::save(const char* dataFile, const std::string& data, bool causedByDelete,
                         fileio::SaveFailure* why) {
    const LocalTime now = clock_();
    if (!shouldKeepGeneration(owed_, causedByDelete, newest(dataFile), now))
        return fileio::replaceFile(dataFile, data, {}, why);
    // A save that fails before its move makes none: the next one still owes it.
    KeepResult result = KeepResult::Failed;
    const bool saved = fileio::replaceFile(dataFile, data, [&] { result = makeGeneration(dataFile); }, why);
    kept(dataFile, result, now);
    return saved;
}

KeepResult GenerationRun::keepNow(const char* dataFile) {
    const KeepResult result = makeGeneration(dataFile);
    kept(dataFile, result, clock_());
    return result;
}

std::optional<LocalTime> GenerationRun::newest(const char* dataFile) {
    // Only this run adds generations: one appearance at the folder serves the run.
    if (!newestKnown_) {
        const std::vector<Generation> all = listGenerations(dataFile);
        if (!all.empty()) newest_ = all.front().time;
        newestKnown_ = true;
    }
    return newest_;
}

void GenerationRun::kept(const char* dataFile, KeepResult result, const LocalTime& now) {
    lastKeep_ = result;
    owed_ = result == KeepResult::Failed;
    if (result != KeepResult::Made && result != KeepResult::AlreadyKept) return;
    const std::string folder = backupFolder(dataFile);
    const std::vector<std::string> names = fileio::filesIn(folder.c_str());
    for (const std::string& name : generationsToDelete(names, now)) {
        fileio::removeFile(fileio::inFolder(folder, name).c_str());
    }
    const std::vector<Named> all = parseAll(names);  // retention keeps the newest
    newest_ = all.empty() ? std::nullopt : std::optional<LocalTime>(all.front().time);
    newestKnown_ = true;
}

}  // namespace generations
