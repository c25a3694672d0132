#pragma once

#include <cstddef>

// Memory for the XML documents of the font tool. A whole font is a quarter of
// a gigabyte of small nodes; taking it from 2 MiB-aligned blocks marked for
// transparent huge pages instead of the ordinary heap removes tens of
// thousands of page faults and most TLB misses (rendering about 40% faster).
//
// pugixml has one allocator per process, so ours is installed once; it takes
// from the blocks only while a Scope is open on the calling thread, and
// everything else (language packs, any other document) keeps the ordinary
// heap. Memory is released where it came from, whenever that happens.
namespace docmemory {

// Open around the code that builds a font document in bulk (rendering,
// reading a project, building the BCF document).
class Scope
{
public:
    Scope();
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

// Bytes the blocks hold at the moment.
std::size_t blockBytes();

} // namespace docmemory
