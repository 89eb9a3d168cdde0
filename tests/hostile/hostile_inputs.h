// Documents that nobody writes on purpose: empty and truncated files, NUL bytes, tags
// megabytes long, unclosed comments and script bodies, thousands of invented tags, lines
// over a megabyte, carriage returns alone. They are made at run time, never stored.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct HostileInput {
    std::string name;                    // also the file name, with ".htm"
    std::function<std::string()> bytes;  // the whole document
};

// Every hostile document, in a fixed order.
const std::vector<HostileInput>& hostileInputs();

// The document named `name`; fails the calling test through an empty name lookup.
const HostileInput* findHostileInput(const std::string& name);

// "<Q", the byte, "Z>" and a line feed: a tag name holding one byte value.
std::string nameWithByte(unsigned char byte);

// "<FONT s", the byte, "ze=1>" and a line feed: an attribute name holding one byte value.
std::string attributeWithByte(unsigned char byte);

// An ordinary page of about `bytes` bytes: headings, links, tables, lists, comments and
// a script, repeated.
std::string generatedPage(size_t bytes);

// An A tag of exactly `length` characters from its "<" through its ">", its href value
// filling the rest.
std::string longAnchor(size_t length);

// Makes `path` a file of `size` zero bytes without writing them (a sparse file). False
// when the file system does not allow it.
bool makeSparseZeros(const std::string& path, uint64_t size);
