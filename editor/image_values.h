// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Use Values from the Image without a window, for the command line's
// `--from-image`: the values embedded in an item's image stored as its
// attributes, each only where the item has none for it unless `replace`.
// Nothing is ever written into the image.
#ifndef QUILLMARK_EDITOR_IMAGE_VALUES_H_
#define QUILLMARK_EDITOR_IMAGE_VALUES_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "editor/item_changes.h"
#include "imagemeta/embedded_values.h"

namespace quillmark {

// What the user reads of an image whose values could not be read: this, then the reason.
inline constexpr std::string_view kImageUnreadable = "The values in the image cannot be read: ";
std::string imageProblemMessage(const EmbeddedValues& embedded);

struct ImageValuesOptions {
  bool replace = false;        // over the item's own values too
  bool desktopCopies = false;  // the item's desktop copies brought in step (attrstore/desktop_copies.h)
};

// Reads the image at `path`, the item `at`, and when that worked, stores its
// values as Save would (changeItem), saying what it did in `change`; returns
// what was read.
EmbeddedValues storeImageValues(const ItemAt& at, const std::filesystem::path& path,
                                const ImageValuesOptions& options, ItemChange& change);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_IMAGE_VALUES_H_
