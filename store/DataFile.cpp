#include "store/DataFile.h"

DataFile::DataFile(std::string path, std::function<LocalTime()> clock)
    : path_(std::move(path)), run_(std::move(clock)) {}

LoadResult DataFile::load(ScreenSize screen, const MemoSink& sink) {
    std::string data;
    switch (fileio::readWholeFile(path_.c_str(), data, fileio::HELD_FILE_PATIENCE_MS)) {
    case fileio::ReadStatus::Missing: remember(false, data); return LoadResult::Missing;
    case fileio::ReadStatus::Unreadable: return LoadResult::Unreadable;
    case fileio::ReadStatus::Ok: break;
    }
    parseMemos(data, screen, sink);
    remember(true, std::move(data));
    return LoadResult::Loaded;
}

bool DataFile::save(const std::string& data, bool causedByDelete) {
    if (changedByAnother()) {
        // Kept first, whatever the hourly rule says; a version that cannot be
        // kept is not replaced.
        LocalTime written;
        const bool exists = fileio::lastWriteTime(path_.c_str(), written);
        switch (keepNow()) {
        case generations::KeepResult::Made:
        case generations::KeepResult::AlreadyKept: otherVersionKept_ = written; break;
        case generations::KeepResult::NothingToKeep: break;
        case generations::KeepResult::Failed:
            if (!exists) break;
            failure_ = fileio::SaveFailure::OtherVersionNotKept;
            return false;
        }
    }
    if (!run_.save(path_.c_str(), data, causedByDelete, &failure_)) return false;
    remember(true, data);
    return true;
}

generations::KeepResult DataFile::keepNow() { return run_.keepNow(path_.c_str()); }

std::vector<generations::Generation> DataFile::generations() const {
    return generations::listGenerations(path_.c_str());
}

std::optional<LocalTime> DataFile::takeOtherVersionKept() {
    std::optional<LocalTime> kept;
    kept.swap(otherVersionKept_);
    return kept;
}

// A save's bytes are copied into the room of those before (it allocates
// nothing here); a load's, which would go anyway, are taken.
void DataFile::remember(bool exists, const std::string& bytes) {
    std::string room;
    if (seen_) room.swap(seen_->bytes);
    room.assign(bytes);
    remember(exists, std::move(room));
}

void DataFile::remember(bool exists, std::string&& bytes) {
    if (!seen_) seen_ = Seen();
    seen_->exists = exists && fileio::sizeAndWriteTime(path_.c_str(), seen_->size, seen_->writeTime);
    seen_->bytes = std::move(bytes);
}

// Size and last-write time first; the content only when they differ (a
// program may write the same bytes again, or set the time back).
bool DataFile::changedByAnother() const {
    if (!seen_) return false;
    Seen now;
    now.exists = fileio::sizeAndWriteTime(path_.c_str(), now.size, now.writeTime);
    if (!now.exists) return false;  // gone: nothing to keep
    if (!seen_->exists) return true;
    if (now.size == seen_->size && now.writeTime == seen_->writeTime) return false;
    if (now.size != seen_->size) return true;
    std::string bytes;
    // One that cannot be read now is kept as it is.
    if (fileio::readWholeFile(path_.c_str(), bytes, 0) != fileio::ReadStatus::Ok) return true;
    return bytes != seen_->bytes;
}
