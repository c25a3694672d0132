#include "bitfont/core/DocumentMemory.h"

#include <pugixml.hpp>

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace docmemory {
namespace {

constexpr size_t hugePage = size_t(2) << 20;
constexpr size_t blockSize = size_t(32) << 20;
constexpr size_t alignment = 16;

// A block hands out memory front to back and is unmapped once everything in
// it is freed (documents are built and dropped whole).
struct Block {
    char *base;
    size_t size;
    size_t used;
    size_t live;
};

struct Arena {
    std::mutex mutex;
    std::vector<Block> blocks;
    std::ptrdiff_t current = -1;
};

thread_local int t_openScopes = 0;

// Never destroyed: documents owned by other static objects may be freed
// during exit, after this file's statics would be gone.
Arena &arena()
{
    static Arena *const instance = new Arena;
    return *instance;
}

char *mapBlock(size_t size)
{
    const size_t total = size + hugePage;
    void *mapped = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + hugePage - 1) & ~(hugePage - 1);
    if (aligned > start) {
        munmap(mapped, aligned - start);
    }
    if (const size_t tail = start + total - (aligned + size); tail > 0) {
        munmap(reinterpret_cast<void *>(aligned + size), tail);
    }
    madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<char *>(aligned);
}

void *allocate(size_t size)
{
    if (t_openScopes == 0) {
        return std::malloc(size);
    }
    size = (std::max<size_t>(size, 1) + alignment - 1) & ~(alignment - 1);
    Arena &a = arena();
    const std::lock_guard lock(a.mutex);
    std::vector<Block> &blocks = a.blocks;
    std::ptrdiff_t &current = a.current;
    if (size > blockSize / 4) {
        const size_t mappedSize = (size + hugePage - 1) & ~(hugePage - 1);
        char *base = mapBlock(mappedSize);
        if (!base) {
            return nullptr;
        }
        blocks.push_back(Block { base, mappedSize, mappedSize, 1 });
        return base;
    }
    if (current < 0 || blocks[size_t(current)].used + size > blocks[size_t(current)].size) {
        char *base = mapBlock(blockSize);
        if (!base) {
            return nullptr;
        }
        blocks.push_back(Block { base, blockSize, 0, 0 });
        current = std::ptrdiff_t(blocks.size()) - 1;
    }
    Block &block = blocks[size_t(current)];
    void *result = block.base + block.used;
    block.used += size;
    ++block.live;
    return result;
}

void deallocate(void *pointer)
{
    if (!pointer) {
        return;
    }
    {
        Arena &a = arena();
        const std::lock_guard lock(a.mutex);
        std::vector<Block> &blocks = a.blocks;
        std::ptrdiff_t &current = a.current;
        const char *p = static_cast<const char *>(pointer);
        for (size_t i = 0; i < blocks.size(); ++i) {
            Block &block = blocks[i];
            if (p < block.base || p >= block.base + block.size) {
                continue;
            }
            if (--block.live == 0) {
                if (std::ptrdiff_t(i) == current) {
                    block.used = 0;
                } else {
                    munmap(block.base, block.size);
                    blocks.erase(blocks.begin() + std::ptrdiff_t(i));
                    if (std::ptrdiff_t(i) < current) {
                        --current;
                    }
                }
            }
            return;
        }
    }
    std::free(pointer);
}

void install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        arena();
        pugi::set_memory_management_functions(allocate, deallocate);
    });
}

} // namespace

Scope::Scope()
{
    install();
    ++t_openScopes;
}

Scope::~Scope()
{
    --t_openScopes;
}

size_t blockBytes()
{
    Arena &a = arena();
    const std::lock_guard lock(a.mutex);
    size_t bytes = 0;
    for (const Block &block : a.blocks) {
        bytes += block.size;
    }
    return bytes;
}

} // namespace docmemory
