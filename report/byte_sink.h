// Where output goes: the command line's standard output, a file's bytes held until their
// turn, the language server's client, memory in tests. One interface, so that every
// printer writes the same way and every writer can say that a write failed.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all `size` bytes; false when they can't be written (a reader gone, a full
    // disk): nothing written after that reaches the reader either.
    virtual bool write(const char* bytes, size_t size) = 0;

    bool add(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    bool add(const char* text) { return write(text, strlen(text)); }
    bool add(char c) { return write(&c, 1); }
};

// Bytes kept in memory.
class StringByteSink final : public ByteSink {
public:
    bool write(const char* written, size_t size) override {
        bytes.append(written, size);
        return true;
    }
    std::string bytes;
};
