// The one place where the store touches the file system. Files are named as
// given (bare names are relative to the current directory).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "store/LocalTime.h"

namespace fileio {

enum class ReadStatus { Ok, Missing, Unreadable };

// Reads the whole file. A file that exists but cannot be read (held by another
// program, no access, a folder of that name) is tried again for up to
// `patienceMs` before the answer is Unreadable; a missing one answers at once.
// A file too large to hold in memory is Unreadable too.
ReadStatus readWholeFile(const char* fileName, std::string& out, unsigned patienceMs);

// Backup and sync tools hold files briefly: the program's files are tried
// again for about a second before they count as unreadable.
constexpr unsigned HELD_FILE_PATIENCE_MS = 1000;

// Why a save failed, in the terms the user is told. OtherVersionNotKept: the
// data file was changed by another program, and that version could not be
// kept as a generation before it would have been replaced (store/DataFile.h).
// FolderMissing: the file's folder is gone (deleted, renamed, out of reach);
// NoAccess: the file or its folder may not be changed.
enum class SaveFailure { None, ReadOnly, Held, DiskFull, NoAccess, Other, OtherVersionNotKept, FolderMissing };

// Writes `data` to "<fileName>.tmp" in the same folder, flushes it to disk and
// moves it over `fileName` in one step. A file marked read-only is not
// replaced; one held by another program is tried again for a few hundred
// milliseconds. On any failure the old file is left byte-identical, the
// temporary file is removed and the answer is false; true means the whole
// new content is on disk under `fileName`. `beforeMove` runs once the new
// content is on disk, just before it replaces the old file. On failure `why`,
// when given, says why.
bool replaceFile(const char* fileName, const std::string& data, const std::function<void()>& beforeMove = {},
                 SaveFailure* why = nullptr);

// `name` in the folder that holds `fileName`.
std::string besideFile(const char* fileName, const std::string& name);
// `name` in `folder`.
std::string inFolder(const std::string& folder, const std::string& name);

enum class KeepOutcome { Made, Exists, Missing, Failed };

// Gives the file `from` the second name `to` (a hard link), or copies it
// there where the link cannot be made (file systems without links); a copy
// that fails leaves no piece behind. An existing `to` is left as it is
// (Exists). Missing: there is no `from`.
KeepOutcome keepFileAs(const char* from, const char* to);
// Whether both files can be read at once and hold the same bytes.
bool sameContent(const char* a, const char* b);

// The file's last-write time in local time; false when there is no such file.
bool lastWriteTime(const char* fileName, LocalTime& out);
// The file's size and last-write time in 100-nanosecond units; false when
// there is no such file.
bool sizeAndWriteTime(const char* fileName, uint64_t& size, uint64_t& writeTime);
// Creates the folder if needed; false when it cannot be made (no rights, a file of that name).
bool makeFolder(const char* folder);
// The names of the plain files in `folder`, in no particular order; none when it cannot be listed.
std::vector<std::string> filesIn(const char* folder);
void removeFile(const char* fileName);
LocalTime localNow();
// The computer's name as it may stand in a file name: letters, digits, "_"
// and "-" as they are, every other byte as "%" and two hex digits; "PC" when
// the system gives no name.
std::string computerName();
// The path from the root (a drive) that `name` stands for in the current folder.
std::string fullPath(const char* name);
// Where the user's files may be written: the documents folder, then the temporary folder.
std::vector<std::string> userFolders();
// This PC's own settings folder for the program ("Quillpad" in the local
// application data), made when missing; empty when there is none.
std::string localFolder();

// replaceFile writes in pieces of this size.
constexpr size_t WRITE_CHUNK_SIZE = 64 * 1024;

// For tests: every step of replaceFile that can fail (creating the temporary
// file, each write, the flush, the close and the replace) and keepFileAs's
// link and copy are counted from the last call of failStepForTest; step number
// `step` then fails as the system would fail it (a write writes half its piece
// and reports that). 0: no failure.
void failStepForTest(unsigned long step);
unsigned long stepsSinceFailStepForTest();

}  // namespace fileio
