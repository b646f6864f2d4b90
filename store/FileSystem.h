// The operating system's file calls as FileIO.cpp uses them: one attempt
// each, no retries. FileIO_win32.cpp and FileIO_posix.cpp implement them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "store/LocalTime.h"

namespace fileio::os {

// Between a folder and a name in a path.
extern const char PATH_SEPARATOR;

enum class Outcome { Ok, Missing, Busy, Failed };

// What the user can be told of the failed call just made on this thread:
// read the error before any other call.
enum class Cause { Other, Held, DiskFull, NoAccess };
Cause lastCause();

// Reads the whole file. Busy: another program holds it; Failed: anything
// else (no access, not a plain file, too large for memory).
Outcome readAll(const char* fileName, std::string& out);

// True when the file exists and is marked read-only.
bool isReadOnly(const char* fileName);

struct File;  // an open file, written from its start

// Creates the file, or empties it if it exists. nullptr on failure.
File* create(const char* fileName);
// Writes the bytes; answers how many were written (fewer on failure).
size_t write(File* file, const char* data, size_t size);
// Flushes the file's content to the disk.
bool flush(File* file);
// Closes the file and frees `file`, also when the close fails.
bool close(File* file);

// Moves `from` over `to` in one step, replacing `to`. Busy: another program
// holds `to` (or `from`).
Outcome rename(const char* from, const char* to);
void remove(const char* fileName);
// Whether a file that refuses to be replaced is held open by another program,
// rather than unchangeable (an attribute or right that forbids any change).
bool heldByAnother(const char* fileName);

// The path from the root (a drive) that `name` stands for here.
std::string fullPath(const char* name);

enum class Kind { None, File, Folder };
Kind kindOf(const char* name);

// Gives the file `existing` the second name `newName` (a hard link).
bool link(const char* existing, const char* newName);
// Copies `from` to the new file `to`; an existing `to` fails it. A failed
// copy leaves no `to` behind.
bool copyNew(const char* from, const char* to);

// The file's last-write time in local time.
bool lastWriteTime(const char* fileName, LocalTime& out);
// The file's size and last-write time in 100-nanosecond units; false when there is no such file.
bool sizeAndWriteTime(const char* fileName, uint64_t& size, uint64_t& writeTime);
// Creates the folder; true also when it exists already.
bool makeFolder(const char* name);
// The names of the plain files in the folder; false when it cannot be listed.
bool listFiles(const char* folder, std::vector<std::string>& names);
LocalTime localNow();
// How far the wall clock is ahead of UTC now, in minutes, daylight saving included.
int utcOffsetMinutes();
// The computer's name as the system gives it; empty when it gives none.
std::string computerName();
// Folders where the user's files may be written when the program's own
// cannot: the documents folder, then the temporary folder (those that exist).
std::vector<std::string> userFolders();
// The folder for this PC's own settings, never roamed nor synced; empty when none.
std::string localFolder();

}  // namespace fileio::os
