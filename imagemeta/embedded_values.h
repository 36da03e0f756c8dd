// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What an image says about itself: the five values embedded in its IPTC and
// XMP metadata, read with exiv2, for an item whose attributes are absent.
//
// Only files that look like an image from their first bytes are handed to
// exiv2; everything else is "not an image" after one small read. Reading
// never writes to the file, never throws and never crashes: a damaged or
// hostile image comes back as kDamaged with exiv2's reason. Safe to call from
// several threads at once.
#ifndef QUILLMARK_IMAGEMETA_EMBEDDED_VALUES_H_
#define QUILLMARK_IMAGEMETA_EMBEDDED_VALUES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "attrstore/names.h"

namespace quillmark {

inline constexpr std::string_view kUnreadableMetadata = "unreadable metadata";

struct EmbeddedValues {
  enum class Outcome { kNotAnImage, kRead, kDamaged, kUnreadable };
  Outcome outcome = Outcome::kNotAnImage;
  // In list order (Copyright, Creator, Description, Headline, Keywords), as
  // UTF-8; "" where the image says nothing. Keywords and several creators are
  // joined with ", ".
  std::array<std::string, kFieldCount> texts;
  // kDamaged: exiv2's reason (kUnreadableMetadata when it gave none); kUnreadable: the system's.
  std::string problem;

  bool any() const;
};

// The values embedded in the file at `path` (its final link followed).
EmbeddedValues readEmbeddedValues(const std::filesystem::path& path);
// The same for an image held in memory.
EmbeddedValues readEmbeddedValues(std::span<const std::uint8_t> image);

}  // namespace quillmark

#endif  // QUILLMARK_IMAGEMETA_EMBEDDED_VALUES_H_
