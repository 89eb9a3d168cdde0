#include "file_reader.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

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

// Reads up to `size` bytes (at most LargestText) into `bytes` and gives how many it read
// in `total`; a read may deliver less than asked, and a file that shrank ends early.
bool readUpTo(Handle h, char* bytes, uint64_t size, uint32_t& total) {
    total = 0;
    while (total < size) {
        uint32_t got = 0;
        if (!readSome(h, bytes + total, static_cast<uint32_t>(size) - total, got)) return false;
        if (got == 0) break;  // the file shrank while it was read
        total += got;
    }
    return true;
}

// Reads exactly `size` bytes into a fresh block.
bool readKnownSize(Handle h, uint64_t size, FileBlock& block) {
    if (size > LargestText) return false;
    char* bytes = static_cast<char*>(calloc(static_cast<size_t>(size) + 2, 1));
    if (!bytes) return false;
    uint32_t total = 0;
    if (!readUpTo(h, bytes, size, total)) {
        free(bytes);
        return false;
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

// Opens a file for reading whole: existing, not shared for writing, and a regular file
// (so that a pipe, a device or a folder is refused at once). Gives its size. On Windows
// `shareWithReaders` lets other readers open it meanwhile (several jobs may read one
// file); writers never can.
#ifdef _WIN32
bool openRegularFile(const char* path, Handle& h, uint64_t& size, bool shareWithReaders) {
    const DWORD share = shareWithReaders ? FILE_SHARE_READ : 0;
    h = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length;
    if (GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &length) && length.QuadPart >= 0) {
        size = static_cast<uint64_t>(length.QuadPart);
        return true;
    }
    CloseHandle(h);
    return false;
}

void closeFile(Handle h) { CloseHandle(h); }
#else
bool openRegularFile(const char* path, Handle& h, uint64_t& size, bool) {
    // Non-blocking, so that opening a pipe nobody writes to fails below instead of waiting.
    h = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (h < 0) return false;
    struct stat st;
    if (fstat(h, &st) == 0 && S_ISREG(st.st_mode)) {
        size = static_cast<uint64_t>(st.st_size);
        return true;
    }
    close(h);
    return false;
}

void closeFile(Handle h) { close(h); }
#endif

}  // namespace

#ifdef _WIN32
bool readStandardInput(FileBlock& block) {
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    return h != INVALID_HANDLE_VALUE && h != nullptr && readToEnd(h, block);
}

bool readStreamToEnd(const char* path, FileBlock& block) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = readToEnd(h, block);
    CloseHandle(h);
    return ok;
}
#else
bool readStandardInput(FileBlock& block) { return readToEnd(STDIN_FILENO, block); }

bool readStreamToEnd(const char* path, FileBlock& block) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode) && readToEnd(fd, block);
    close(fd);
    return ok;
}
#endif

bool readWholeFile(const char* path, FileBlock& block) {
    Handle h;
    uint64_t size;
    if (!openRegularFile(path, h, size, false)) return false;
    bool ok = readKnownSize(h, size, block);
    closeFile(h);
    return ok;
}

TextBuffer::~TextBuffer() { releaseBlock(); }

bool TextBuffer::readFile(const char* path) {
    size_ = 0;
    Handle h;
    uint64_t size;
    if (!openRegularFile(path, h, size, true)) return false;
    uint32_t total = 0;
    bool ok = size <= LargestText && reserve(size + 2) && readUpTo(h, bytes_, size, total);
    closeFile(h);
    if (!ok) return false;
    size_ = total;
    bytes_[total] = bytes_[total + 1] = '\0';
    return true;
}

#ifdef _WIN32
bool TextBuffer::reserve(uint64_t bytes) {
    if (bytes <= capacity_) return true;
    releaseBlock();
    bytes_ = static_cast<char*>(malloc(static_cast<size_t>(bytes)));
    capacity_ = bytes_ ? static_cast<size_t>(bytes) : 0;
    return bytes_ != nullptr;
}

void TextBuffer::releaseBlock() {
    free(bytes_);
    bytes_ = nullptr;
    capacity_ = 0;
}
#else
bool TextBuffer::reserve(uint64_t bytes) {
    if (bytes <= capacity_) return true;
    releaseBlock();
    // In steps of 64 KiB: a large block is asked for in huge pages below, but its tail is
    // not rounded up to a whole one, which would hold up to 2 MiB that nothing reads.
    constexpr uint64_t HugePage = 2 << 20;
    constexpr uint64_t Step = 1 << 16;
    const uint64_t length = (bytes + Step - 1) / Step * Step;
    void* block = mmap(nullptr, static_cast<size_t>(length), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return false;
#ifdef MADV_HUGEPAGE
    if (length >= HugePage) madvise(block, static_cast<size_t>(length), MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    // Advice only: where the kernel can't, the pages are faulted in as the read fills them.
    madvise(block, static_cast<size_t>(length), MADV_POPULATE_WRITE);
#endif
    bytes_ = static_cast<char*>(block);
    capacity_ = static_cast<size_t>(length);
    return true;
}

void TextBuffer::releaseBlock() {
    if (bytes_) munmap(bytes_, capacity_);
    bytes_ = nullptr;
    capacity_ = 0;
}
#endif
