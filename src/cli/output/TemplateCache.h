#pragma once
// The projects a batch worker has read, kept so that its next jobs of the
// same template take a copy instead of reading and decoding the file again.
// A file changed since it was read is read anew.

#include <memory>

#include "app/VtwinDoc.h"
#include <string>
#include <vector>

struct SCliContext;

class CTemplateCache {
public:
    // Fills `doc` with the project at `path`; false with the message printed.
    bool Open(CVtwinDoc& doc, const std::string& path);

private:
    struct SEntry {
        std::string path;
        std::unique_ptr<CVtwinDoc> doc;
    };
    static constexpr std::size_t kMaxEntries = 4;  // the pictures of a few templates, no more
    std::vector<SEntry> m_entries;                  // the last used last
};

// OpenDocument through the context's template cache when it has one.
bool OpenDocument(const SCliContext& context, CVtwinDoc& doc, const std::string& path);
