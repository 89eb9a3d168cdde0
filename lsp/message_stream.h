// The language server's framing: each message is a header block of "Name: value" lines,
// one of them Content-Length, ended by an empty line, then that many bytes of JSON. The
// reader and the writer work over byte sources and sinks, so that the tests, the fuzz
// target and the benchmark drive them in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "byte_sink.h"

// Where the client's bytes come from.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next byte, or EOF at the end of the input.
    virtual int nextByte() = 0;
    // Reads `size` bytes into `bytes`, waiting for all of them; fewer only at the end of
    // the input. Gives the number read.
    virtual size_t read(char* bytes, size_t size) = 0;
};

// A C stream. The header is read a byte at a time and a body for exactly its length:
// a read never asks for bytes the client hasn't promised, so it never waits on an idle
// client for more.
class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(FILE* file) : file_(file) {}
    int nextByte() override { return getc(file_); }
    size_t read(char* bytes, size_t size) override { return fread(bytes, 1, size, file_); }

private:
    FILE* file_;
};

// Each write handed on to the client at once; false when the client is gone.
class FileByteSink : public ByteSink {
public:
    explicit FileByteSink(FILE* file) : file_(file) {}
    bool write(const char* bytes, size_t size) override;

private:
    FILE* file_;
};

// Bytes held in memory.
class StringByteSource : public ByteSource {
public:
    StringByteSource(const char* bytes, size_t size) : bytes_(bytes), size_(size) {}
    explicit StringByteSource(const std::string& bytes) : StringByteSource(bytes.data(), bytes.size()) {}
    int nextByte() override;
    size_t read(char* bytes, size_t size) override;

private:
    const char* bytes_;
    size_t size_;
    size_t position_ = 0;
};

// What reading one message gave.
enum class ReadOutcome {
    Message,    // a body is in hand
    BadHeader,  // a header line that isn't "Name: value"; its body was read past
    TooLarge,   // the body is longer than the limit; it was read past
    LostFraming,  // no usable Content-Length, or a header block too long: nothing further can be read
    End,          // the input ended, between messages or inside one
};

class MessageReader {
public:
    // The largest body held: longer ones are read past in pieces.
    static constexpr uint64_t DefaultBodyLimit = uint64_t{64} << 20;

    explicit MessageReader(ByteSource& source, uint64_t bodyLimit = DefaultBodyLimit)
        : source_(source), bodyLimit_(bodyLimit) {}

    // Reads the next message; `body` holds its bytes when the outcome is Message.
    ReadOutcome next(std::string& body);

private:
    // Reads one header line without its line end into `line`; false at the end of the
    // input or when the line is too long.
    bool readHeaderLine(std::string& line, bool& atEnd);
    // Reads `length` bytes into `body`, growing it as they come so that a length the
    // input doesn't hold costs no memory; false when the input ends first.
    bool readBody(uint64_t length, std::string& body);
    bool skipBody(uint64_t length);

    ByteSource& source_;
    uint64_t bodyLimit_;
};

// A JSON string at least this long as written is decoded apart from the rest of its body.
constexpr size_t LongJsonString = 1024;

// The JSON values of a message's body, as nlohmann::json::parse(body, nullptr, false) gives
// them: discarded when it isn't JSON. The library reads a string a character at a time,
// which for a page's text takes longer than checking the page, so each string of
// `longString` bytes or more is decoded here in one pass and moved into the values; a
// string this decoding isn't sure of leaves the whole body to the library. `decoded`, when
// given, is set to the number of strings decoded here.
nlohmann::json parseMessageBody(const std::string& body, size_t longString = LongJsonString,
                                size_t* decoded = nullptr);

// Writes each message with its header to the sink in one piece.
class MessageWriter {
public:
    explicit MessageWriter(ByteSink& sink) : sink_(sink) {}
    // False once the client is gone; every later write is then refused too.
    bool write(const nlohmann::json& message);
    // The same for a message already written as JSON text.
    bool writeBody(const std::string& body);
    bool failed() const { return failed_; }

private:
    ByteSink& sink_;
    bool failed_ = false;
    std::string frame_;
};
