#pragma once
// Whole files read and written without ever losing what was there.
//
// Reading opens without blocking and refuses anything but a regular file (a
// folder, a named pipe, a device or a socket) at once with "<path> is not a
// file.", so that no loader can hang on a pipe nor read a device forever.
//
// Writing goes through a temporary file in the target's folder that is
// flushed to the disk and then renamed over the target: a failed or killed
// save leaves the previous file whole. A symbolic link is followed to the
// file it names, so the link stays a link; the replaced file keeps its mode
// and (where the process may) its owner; a read-only file is refused rather
// than replaced. The temporary files carry the saving process's id in their
// name (".NAME.vtsave-PID-XXXXXX"), so that those a killed save left behind
// are recognised and removed by the next save of that file or by
// RemoveLeftoverSaveFiles at start-up. (A save within seconds of that sweep
// of its folder, in the same process, does not look again.)

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Opens `path` for reading: a descriptor in blocking mode, or -1 with `error`
// set ("<path> is not a file." or the system's reason). `notAFile`, when
// given, tells which of the two it was.
int OpenFileForReading(const std::string& path, std::string& error, bool* notAFile = nullptr);
// The same as a stdio stream ("rb"); null with `error` set.
std::FILE* OpenStreamForReading(const std::string& path, std::string& error, bool* notAFile = nullptr);

// Reads a whole regular file of at most `limit` bytes into `bytes`. False
// with `error` set (and `bytes` empty) otherwise; a larger file gives
// "the file is too large"; `notAFile` as for OpenFileForReading.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                     std::string& error, bool* notAFile = nullptr);

// Replaces the file at `path` (or creates it) with `size` bytes. False with
// `error` set to a reason such as "the file is read-only", "the disk is full"
// or "it is not a file"; the previous file is then untouched and no
// temporary file remains.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string& error);

// The same replacement written piece by piece, for files too large to hold
// in memory first: Open makes the temporary file, the caller writes through
// Stream(), and Commit puts it in place of the target. A file not committed
// is removed (by the destructor), the target untouched. Reasons as above.
class CAtomicFile {
public:
    CAtomicFile() = default;
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    bool Open(const std::string& path, std::string& error);
    std::FILE* Stream() const noexcept { return m_stream; }
    bool Commit(std::string& error);

private:
    void Discard() noexcept;

    std::FILE* m_stream = nullptr;
    std::string m_target, m_temporary;
};

// The file a save of `path` replaces: symbolic links followed to the end of
// their chain (a link to a missing file gives that missing file's path).
std::string ResolveSaveTarget(const std::string& path);

// Whether `fileName` (no folder) is a temporary file of a save.
bool IsSaveTemporaryName(const std::string& fileName);

// Removes the temporary save files in `folder` whose saving process no longer
// runs. Returns how many were removed.
int RemoveLeftoverSaveFiles(const std::string& folder);
