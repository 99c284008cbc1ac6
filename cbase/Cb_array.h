#pragma once

#include <cstddef>
#include <cstdint>

class CBase;

// The object behind 'A' values. It lives while some 'A' value refers to it and owns its elements.
struct CBaseArray {
    // `count` destroyed (tag 0) elements; no storage at all for 0.
    explicit CBaseArray(std::size_t count);
    // Destroys every element, so nested texts, dates and arrays are released too.
    ~CBaseArray();
    CBaseArray(const CBaseArray&) = delete;
    CBaseArray& operator=(const CBaseArray&) = delete;

    // One new[] block: it records its own element count and is destroyed and freed as a whole.
    CBase* elements;
    std::uint8_t unused[2];
    // How many 'A' values refer to the array besides one: 0 means exactly one does.
    std::uint16_t shareCount;
};
