#include "file_reader.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The largest text read. Line counts and tag lengths are signed 32-bit, and a tag's
// buffer is its length plus 30 bytes, so the text stays clear of 2^31 bytes; the 32-bit
// Windows program could not hold more anyway.
constexpr uint64_t LargestText = INT32_MAX - 64;

#ifdef _WIN32
using Handle = HANDLE;

// Reads up to `want` bytes; ReadFile takes 32-bit counts, which the 32-bit size already is.
bool readSome(Handle h, char* into, uint32_t want, uint32_t& got) {
    DWORD n = 0;
    if (!ReadFile(h, into, want, &n, nullptr)) {
        // A pipe whose writer has gone reports its end as this error.
        if (GetLastError() == ERROR_BROKEN_PIPE) {
            got = 0;
            return true;
        }
        return false;
    }
    got = n;
    return true;
}
#else
using Handle = int;

bool readSome(Handle fd, char* into, uint32_t want, uint32_t& got) {
    for (;;) {
        ssize_t n = read(fd, into, want);
        if (n >= 0) {
            got = static_cast<uint32_t>(n);
            return true;
        }
        if (errno != EINTR) return false;
    }
}
#endif

// Reads exactly `size` bytes into a fresh block; a read may deliver less than asked.
bool readKnownSize(Handle h, uint64_t size, FileBlock& block) {
    if (size > LargestText) return false;
    char* bytes = static_cast<char*>(calloc(static_cast<size_t>(size) + 2, 1));
    if (!bytes) return false;
    uint32_t total = 0;
    while (total < size) {
        uint32_t got = 0;
        if (!readSome(h, bytes + total, static_cast<uint32_t>(size) - total, got)) {
            free(bytes);
            return false;
        }
        if (got == 0) break;  // the file shrank while it was read
        total += got;
    }
    block.bytes = bytes;
    block.size = total;
    return true;
}

// Reads a stream of unknown length, doubling the block as it fills.
bool readToEnd(Handle h, FileBlock& block) {
    uint64_t capacity = 1 << 16;
    uint32_t total = 0;
    char* bytes = static_cast<char*>(malloc(capacity + 2));
    if (!bytes) return false;
    for (;;) {
        if (total == capacity) {
            uint64_t grown = capacity * 2 > LargestText ? LargestText : capacity * 2;
            char* larger = grown > capacity ? static_cast<char*>(realloc(bytes, grown + 2)) : nullptr;
            if (!larger) {
                free(bytes);
                return false;
            }
            bytes = larger;
            capacity = grown;
        }
        uint32_t got = 0;
        if (!readSome(h, bytes + total, static_cast<uint32_t>(capacity - total), got)) {
            free(bytes);
            return false;
        }
        if (got == 0) break;
        total += got;
    }
    bytes[total] = bytes[total + 1] = '\0';
    block.bytes = bytes;
    block.size = total;
    return true;
}

}  // namespace

#ifdef _WIN32
bool readWholeFile(const char* path, FileBlock& block) {
    HANDLE h = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size) && size.QuadPart >= 0 &&
              readKnownSize(h, static_cast<uint64_t>(size.QuadPart), block);
    CloseHandle(h);
    return ok;
}

bool readStandardInput(FileBlock& block) {
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    return h != INVALID_HANDLE_VALUE && h != nullptr && readToEnd(h, block);
}
#else
bool readWholeFile(const char* path, FileBlock& block) {
    // Non-blocking, so that opening a pipe nobody writes to fails below instead of waiting.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              readKnownSize(fd, static_cast<uint64_t>(st.st_size), block);
    close(fd);
    return ok;
}

bool readStandardInput(FileBlock& block) { return readToEnd(STDIN_FILENO, block); }
#endif
