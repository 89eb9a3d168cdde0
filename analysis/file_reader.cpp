#include "file_reader.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
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

TextBuffer::~TextBuffer() {
    releaseBlock();
#ifndef _WIN32
    unmap();
#endif
}

bool TextBuffer::readFile(const char* path) {
    size_ = 0;
    text_ = nullptr;
#ifndef _WIN32
    unmap();
#endif
    Handle h;
    uint64_t size;
    if (!openRegularFile(path, h, size, true)) return false;
    if (size > LargestText) {
        closeFile(h);
        return false;
    }
#ifndef _WIN32
    if (size >= LargestCopied && mapFile(h, size)) {
        closeFile(h);
        text_ = mapped_;
        size_ = static_cast<uint32_t>(size);
        return true;
    }
#endif
    uint32_t total = 0;
    bool ok = reserve(size + 2) && readUpTo(h, bytes_, size, total);
    closeFile(h);
    if (!ok) return false;
    text_ = bytes_;
    size_ = total;
    bytes_[total] = bytes_[total + 1] = '\0';
    return true;
}

#ifdef _WIN32
bool TextBuffer::intact() const { return true; }

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
namespace {

// The mappings in use, watched for a cut: a file cut short under its mapping makes a
// read past the cut a bus error. The handler puts zero pages where the file was lost,
// marks the mapping cut and lets the read go on. Slots are claimed and freed with
// atomics, which the handler may read at any moment.
struct WatchedMapping {
    std::atomic<uintptr_t> start{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> cut{false};
};
constexpr int WatchedMappings = 64;
WatchedMapping watched[WatchedMappings];
uintptr_t pageSize = 4096;
struct sigaction othersBusError;

void onBusError(int signal, siginfo_t* info, void* context) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (WatchedMapping& w : watched) {
        const uintptr_t start = w.start.load(), end = w.end.load();
        if (start == 0 || at < start || at >= end) continue;
        const uintptr_t from = at & ~(pageSize - 1);
        void* zeros = mmap(reinterpret_cast<void*>(from), end - from, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            w.cut.store(true);
            return;
        }
        break;
    }
    // Not a mapped file's: what would have happened without this handler happens.
    if (othersBusError.sa_flags & SA_SIGINFO) {
        if (othersBusError.sa_sigaction) return othersBusError.sa_sigaction(signal, info, context);
    } else if (othersBusError.sa_handler != SIG_DFL && othersBusError.sa_handler != SIG_IGN) {
        return othersBusError.sa_handler(signal);
    }
    sigaction(SIGBUS, &othersBusError, nullptr);  // the read faults again, with the action before
}

bool watchBusErrors() {
    static const bool installed = [] {
        pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
        struct sigaction action = {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGBUS, &action, &othersBusError) == 0;
    }();
    return installed;
}

}  // namespace

bool TextBuffer::mapFile(int fd, uint64_t size) {
    if (!watchBusErrors()) return false;
    const uint64_t page = pageSize;
    const size_t length = static_cast<size_t>((size + 2 + page - 1) / page * page);
    const size_t fileLength = static_cast<size_t>((size + page - 1) / page * page);
    // The file goes over the start of a zeroed region: the two zero bytes after it are
    // the zero fill of its last page, or the region's own page after that.
    void* region = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) return false;
    if (mmap(region, fileLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, fd, 0) == MAP_FAILED) {
        munmap(region, length);
        return false;
    }
#ifdef MADV_POPULATE_READ
    // The pages in one call, not a fault each as the reader comes to them.
    madvise(region, fileLength, MADV_POPULATE_READ);
#endif
    const uintptr_t start = reinterpret_cast<uintptr_t>(region);
    for (int i = 0; i < WatchedMappings; ++i) {
        uintptr_t free = 0;
        if (!watched[i].start.compare_exchange_strong(free, start)) continue;
        watched[i].cut.store(false);
        watched[i].end.store(start + length);
        mapped_ = static_cast<char*>(region);
        mappedLength_ = length;
        watch_ = i;
        // Watched first: a page the toucher finds cut reads as zeros, as the reader's would.
        if (std::thread::hardware_concurrency() > 1) {
            stopTouching_.store(false);
            try {
                toucher_ = std::thread([this, fileLength] {
                    const volatile char* bytes = mapped_;
                    for (size_t at = 0; at < fileLength && !stopTouching_.load(std::memory_order_relaxed); at += pageSize)
                        (void)bytes[at];
                });
            } catch (const std::system_error&) {
                // No thread to be had: the reader touches the pages itself, as it would anyway.
            }
        }
        return true;
    }
    munmap(region, length);  // every slot is taken: the file is copied
    return false;
}

void TextBuffer::unmap() {
    if (!mapped_) return;
    if (toucher_.joinable()) {
        stopTouching_.store(true);
        toucher_.join();
    }
    watched[watch_].end.store(0);
    watched[watch_].start.store(0);
    munmap(mapped_, mappedLength_);
    mapped_ = nullptr;
    mappedLength_ = 0;
    watch_ = -1;
}

bool TextBuffer::intact() const { return !mapped_ || !watched[watch_].cut.load(); }

bool TextBuffer::reserve(uint64_t bytes) {
    if (bytes <= capacity_) return true;
    releaseBlock();
    constexpr uint64_t Step = 1 << 16;
    const uint64_t length = (bytes + Step - 1) / Step * Step;
    void* block = mmap(nullptr, static_cast<size_t>(length), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return false;
#ifdef MADV_POPULATE_WRITE
    // In one call: a fault per page costs more than the read itself on some machines.
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
