#pragma once

#include "report/engine/PageStore.h"
#include "report/engine/pdf/ContentWriter.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace report::pdf {

class FontEmbedder;
class ObjectWriter;

// Writes the store's pages: each page's object, its content stream and its resources, and the
// forms that draw again what earlier pages drew.
class PageWriter {
public:
    // `imageObjects` numbers the store's pictures; `pages` is how many pages will be written.
    PageWriter(const PageStore& store, ObjectWriter& objects, FontEmbedder& fonts,
               const std::vector<int>& imageObjects, int pages);

    // The store's page `number` as object `pageObject`, its content the next object.
    void writePage(int number, int pageObject);

private:
    std::uint32_t seenBefore(int page, std::span<const DrawOp> ops, std::uint32_t start,
                             std::uint32_t count, bool remember);
    int formOf(std::uint32_t seen);
    std::string resourceDictionary(const Resources& use) const;

    const PageStore& m_store;
    ObjectWriter& m_objects;
    FontEmbedder& m_fonts;
    const std::vector<int>& m_imageObjects;
    ContentWriter m_content;

    // Runs of operations seen so far, by hash, to find bands drawn again exactly as before.
    struct Seen {
        int page = 0;
        std::uint32_t start = 0;
        std::uint32_t count = 0;
        int form = 0;           // its form's object, once it is drawn again
        std::uint32_t next = 0; // another run with the same hash, plus one
    };
    std::unordered_map<std::size_t, std::uint32_t> m_seenByHash; // index plus one
    std::vector<Seen> m_seen;

    std::unordered_map<std::string, int> m_resourceObjects; // page resources, by dictionary
};

} // namespace report::pdf
