#pragma once

#include "skin/SkinPack.h"

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The larger faces of the packed skin (the backgrounds, and at twice the size
// most buttons), kept decoded on disk from one run to the next. Inflating them
// and faulting in their fresh memory is much of what the first window waits
// for; a kept face is mapped from the page cache instead, and its pages are
// read only when it is drawn.
//
// A face is found only when it was kept from the same packed bytes (their
// print), so a new skin, or a new program with a changed face, decodes afresh.
// Files are complete or absent: each is written unnamed and linked into place.
// A file that is short, damaged or of another kind is passed over, never read
// past its end. A kept file must not be cut short while a run maps it; this
// program only ever replaces them whole.
class CFaceCache {
public:
    // Faces of smaller files decode faster than a kept face opens.
    static constexpr std::uint32_t kMinFileBytes = 32 * 1024;

    struct Face {
        QImage image; // as decoded: no device pixel ratio
        // The shape kept with it, for this mask colour, in logical pixels.
        std::optional<QRegion> shape;
        std::uint32_t maskColour = 0;
    };

    // Keeps nothing and finds nothing.
    CFaceCache() = default;
    explicit CFaceCache(std::string folder);

    bool Enabled() const { return !folder_.empty(); }
    const std::string& Folder() const { return folder_; }
    // Where the face of an archive entry is kept.
    std::string FilePath(std::string_view entryPath) const;

    // The face kept for the entry when it was decoded from the same packed bytes.
    std::optional<Face> Find(std::string_view entryPath, const SkinEntryPrint& print) const;
    // Keeps a face (32 bits per pixel) with its shape, if any, for later runs;
    // false when it cannot be written. Safe on any thread.
    bool Keep(std::string_view entryPath, const SkinEntryPrint& print, const Face& face) const;

    // The user's cache folder for this program's faces; empty when there is none.
    static std::string DefaultFolder();

private:
    std::string folder_;
};
