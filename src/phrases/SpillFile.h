#pragma once

// Files that hold what a count cannot keep in memory until it is read back.

#include "base/Descriptor.h"
#include "base/PrivateFolder.h"
#include "base/Result.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace orvanta::detail {

// The folder of one count's spill files: a private folder (0700) made inside a given folder,
// held with a lock while it is in use and removed with everything in it when the object goes; a
// later count in the same folder removes what one that was killed left. Each file loses its name
// as soon as it is made and lives while it is open, so a count that is killed leaves only the
// folder and its lock.
class SpillFolder {
public:
    static Result<std::unique_ptr<SpillFolder>> create(const Directory &parent);

    const QString &path() const { return m_instance->directory().path(); }
    Result<Descriptor> newFile() const;
    // What a failed write or read says: the folder and the system's reason.
    QString writeFailure(int error) const;
    QString readFailure(int error) const;

private:
    explicit SpillFolder(std::unique_ptr<InstanceFolder> instance);

    std::unique_ptr<InstanceFolder> m_instance;
};

// One spill file, written from its start through a buffer and then read back from its start.
// A failed write is kept and reported by finishWriting(); later writes are dropped.
class SpillFile {
public:
    SpillFile(Descriptor fd, const SpillFolder &folder, std::size_t bufferBytes);

    void append(const void *bytes, std::size_t size)
    {
        if (m_buffer.size() - m_used < size)
            flush();
        if (m_buffer.size() - m_used < size) {
            writeDirectly(bytes, size);
            return;
        }
        std::memcpy(m_buffer.data() + m_used, bytes, size);
        m_used += size;
    }
    bool failed() const { return m_error != 0; }
    // Writes what is buffered and frees the buffer; the file can then be read.
    Status finishWriting();
    // Bytes written so far, buffered ones included.
    std::uint64_t size() const { return m_written + m_used; }
    int fd() const { return m_fd.get(); }
    const SpillFolder &folder() const { return m_folder; }

private:
    void flush();
    void writeDirectly(const void *bytes, std::size_t size);

    Descriptor m_fd;
    const SpillFolder &m_folder;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    std::uint64_t m_written = 0;
    int m_error = 0;
};

// Reads a written spill file from its start, in pieces of a buffer's size.
class SpillReader {
public:
    SpillReader(const SpillFile &file, std::size_t bufferBytes);

    // The next `size` bytes, valid until the next call; null at the end of the file or when a
    // read failed (see status()).
    const char *take(std::size_t size);
    Status status() const;

private:
    bool refill(std::size_t size);

    const SpillFile &m_file;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::uint64_t m_offset = 0; // in the file, of m_buffer[m_end]
    int m_error = 0;
};

} // namespace orvanta::detail
