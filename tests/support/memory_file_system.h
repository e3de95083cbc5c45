#pragma once
// The vault's file access held in memory, for the tests and fuzz targets that
// need the store's file behaviour without the cost of a disk. It keeps what
// the store relies on from the POSIX side: one writer or many readers of a file at a
// time, a writer lock apart from that, a handle keeps the file it opened when a move
// replaces its name, a temporary file appears beside its target, every write
// gives the file a new stamp. There are no links. Each failure the store must
// survive can be switched on.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/file_system.h"

class MemoryFileSystem : public FileSystem {
public:
    struct Faults {
        // When set, opening fails with this as the system's description.
        std::string openError;
        bool failRead = false;
        // A handle that has written this many bytes fails its next Write after
        // writing what still fits: a disk that fills up part-way. -1: no limit.
        long long writeLimit = -1;
        bool failFlush = false;
        bool failTemp = false;
        bool failMove = false;
        // With failMove: the failed move has taken the target away first, as
        // a replace that fails half-way does.
        bool moveLosesTarget = false;
    };
    // What fails from now on; `faults = {}` makes the disk sound again.
    Faults faults;

    std::unique_ptr<FileHandle> OpenExclusive(const std::string& path, std::string& error) override;
    std::unique_ptr<FileHandle> OpenForReading(const std::string& path, std::string& error) override;
    bool StampOf(const std::string& path, FileStamp& stamp) override;
    std::unique_ptr<FileHandle> CreateTempBeside(const std::string& path, std::string& tempPath) override;
    bool MoveReplace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    std::string FinalPath(const std::string& path) override;
    std::unique_ptr<FileLock> TryLock(const std::string& path, bool& heldElsewhere) override;

    void Put(const std::string& path, const std::uint8_t* data, std::size_t size);
    // Empty when the file does not exist.
    std::vector<std::uint8_t> Contents(const std::string& path) const;
    // Names in order.
    std::vector<std::string> Names() const;
    // Whether a handle still holds the file of that name open.
    bool IsHeld(const std::string& path) const;
    // Whether a writer lock is taken on the file of that name.
    bool IsLocked(const std::string& path) const;

    // One file's bytes, shared by its name and the handles that opened it.
    struct File {
        explicit File(std::uint64_t number) : id(number) {}
        const std::uint64_t id;
        std::vector<std::uint8_t> bytes;
        // What stands in for the last write time: the clock of its file system.
        std::int64_t modified = 0;
        bool held = false;
        int readers = 0;
        bool locked = false;
    };

    // The file that `path` names now; nullptr when none.
    std::shared_ptr<File> Named(const std::string& path) const;

private:
    std::map<std::string, std::shared_ptr<File>> m_files;
    std::uint64_t m_fileCount = 0;
    unsigned m_tempCount = 0;
    // Ticks with every write, so no two versions of a file share a stamp.
    std::int64_t m_clock = 0;

    std::shared_ptr<File>& FileAt(const std::string& path);

    std::unique_ptr<FileHandle> Hold(const std::shared_ptr<File>& file, bool reading = false);
};
