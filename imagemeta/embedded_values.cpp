// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagemeta/embedded_values.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>
#include <mutex>
#include <string_view>
#include <system_error>
#include <vector>

#include "attrstore/names.h"
#include "attrstore/utf.h"

// exiv2 0.27 hands images and streams over in std::auto_ptr.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace quillmark {

namespace {

// Enough of a file's start for every format check exiv2 makes.
constexpr std::size_t kHeaderSize = 4096;
constexpr std::string_view kListSeparator = ", ";

// Where each value is embedded, in list order. A repeatable IPTC dataset
// (creators, keywords) contributes every occurrence.
struct Source {
  const char* xmpKey;
  int iptcDataset;  // in record 2
  bool repeatable;
};
constexpr std::array<Source, kFieldCount> kSources = {{
    {"Xmp.dc.rights", 116, false},
    {"Xmp.dc.creator", 80, true},
    {"Xmp.dc.description", 120, false},
    {"Xmp.photoshop.Headline", 105, false},
    {"Xmp.dc.subject", 25, true},
}};
constexpr std::uint16_t kIptcEnvelope = 1, kIptcApplication = 2, kIptcCharacterSet = 90;
constexpr std::string_view kIptcUtf8Marker = "\x1B%G";

// Formats exiv2 reads that are images. Left out: exiv2's own format, XMP
// sidecars, EPS (found by scanning the whole file) and videos.
bool isImageType(int type) {
  namespace t = Exiv2::ImageType;
  for (int image : {t::jpeg, t::tiff, t::crw, t::mrw, t::png, t::cr2, t::raf, t::orf, t::gif,
                    t::psd, t::tga, t::bmp, t::jp2, t::rw2, t::pgf, t::bmff, t::webp}) {
    if (type == image) return true;
  }
  return false;
}

std::mutex xmpToolkitLock;

// exiv2's global state, set once: quiet (its warnings are not the user's
// business), HEIF and friends enabled, and the XMP toolkit's namespace table
// guarded for callers on several threads.
void prepareExiv2() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::enableBMFF(true);
    Exiv2::XmpParser::initialize(
        [](void*, bool lock) { lock ? xmpToolkitLock.lock() : xmpToolkitLock.unlock(); }, nullptr);
  });
}

// Bytes as UTF-8 text: kept when `mayBeUtf8` and they are, else read as Latin-1.
std::string asUtf8(std::string bytes, bool mayBeUtf8) {
  while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  if (mayBeUtf8 && utf::isValidUtf8(bytes)) return bytes;
  std::string text;
  for (const char byte : bytes) utf::appendUtf8(text, static_cast<unsigned char>(byte));
  return text;
}

void appendItem(std::string& list, const std::string& item) {
  if (item.empty()) return;
  if (!list.empty()) list += kListSeparator;
  list += item;
}

// The text of one XMP property: a language alternative's x-default (or its
// first language), an array's items joined, or the plain text.
std::string xmpText(const Exiv2::Value& value) {
  std::string text;
  if (const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&value)) {
    const auto preferred = alternatives->value_.find("x-default");
    if (preferred != alternatives->value_.end()) {
      text = preferred->second;
    } else if (!alternatives->value_.empty()) {
      text = alternatives->value_.begin()->second;
    }
  } else if (dynamic_cast<const Exiv2::XmpArrayValue*>(&value) != nullptr) {
    for (long i = 0; i < value.count(); ++i) appendItem(text, value.toString(i));
  } else {
    text = value.toString();
  }
  return asUtf8(std::move(text), true);
}

std::array<std::string, kFieldCount> valuesOf(const Exiv2::Image& image) {
  const Exiv2::IptcData& iptc = image.iptcData();
  bool iptcIsUtf8 = false;
  for (const Exiv2::Iptcdatum& datum : iptc) {
    if (datum.record() == kIptcEnvelope && datum.tag() == kIptcCharacterSet)
      iptcIsUtf8 = datum.toString() == kIptcUtf8Marker;
  }
  std::array<std::string, kFieldCount> texts;
  for (std::size_t i = 0; i < kSources.size(); ++i) {
    const Source& source = kSources[i];
    const auto xmp = image.xmpData().findKey(Exiv2::XmpKey(source.xmpKey));
    if (xmp != image.xmpData().end()) texts[i] = xmpText(xmp->value());
    if (!texts[i].empty()) continue;  // XMP wins
    for (const Exiv2::Iptcdatum& datum : iptc) {
      if (datum.record() != kIptcApplication || datum.tag() != source.iptcDataset) continue;
      appendItem(texts[i], asUtf8(datum.toString(), iptcIsUtf8));
      if (!source.repeatable && !texts[i].empty()) break;
    }
  }
  return texts;
}

// Reads the image behind `io` if it is one; exiv2's failures become kDamaged.
EmbeddedValues readImage(Exiv2::BasicIo::AutoPtr io) {
  EmbeddedValues values;
  try {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(std::move(io));
    if (image.get() == nullptr || !isImageType(image->imageType())) return values;
    image->readMetadata();
    values.texts = valuesOf(*image);
    values.outcome = EmbeddedValues::Outcome::kRead;
  } catch (const std::exception& error) {
    values.outcome = EmbeddedValues::Outcome::kDamaged;
    values.problem = error.what();
  } catch (...) {
    values.outcome = EmbeddedValues::Outcome::kDamaged;
    values.problem = kUnreadableMetadata;
  }
  return values;
}

bool looksLikeImage(std::span<const std::uint8_t> header) {
  try {
    return isImageType(
        Exiv2::ImageFactory::getType(header.data(), static_cast<long>(header.size())));
  } catch (...) {
    return false;
  }
}

EmbeddedValues unreadable(int error) {
  EmbeddedValues values;
  values.outcome = EmbeddedValues::Outcome::kUnreadable;
  values.problem = std::generic_category().message(error);
  return values;
}

}  // namespace

bool EmbeddedValues::any() const {
  for (const std::string& text : texts) {
    if (!text.empty()) return true;
  }
  return false;
}

EmbeddedValues readEmbeddedValues(const std::filesystem::path& path) {
  // Never blocks on a FIFO or a device, and the same file goes to exiv2.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return unreadable(errno);
  struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
  } closer{fd};
  struct stat status;
  if (fstat(fd, &status) != 0) return unreadable(errno);
  if (!S_ISREG(status.st_mode)) return {};
  std::array<std::uint8_t, kHeaderSize> header;
  const ssize_t got = pread(fd, header.data(), header.size(), 0);
  if (got < 0) return unreadable(errno);
  prepareExiv2();
  if (!looksLikeImage({header.data(), static_cast<std::size_t>(got)})) return {};
  return readImage(
      Exiv2::BasicIo::AutoPtr(new Exiv2::FileIo("/proc/self/fd/" + std::to_string(fd))));
}

EmbeddedValues readEmbeddedValues(std::span<const std::uint8_t> image) {
  prepareExiv2();
  if (!looksLikeImage(image.first(std::min(image.size(), kHeaderSize)))) return {};
  return readImage(
      Exiv2::BasicIo::AutoPtr(new Exiv2::MemIo(image.data(), static_cast<long>(image.size()))));
}

}  // namespace quillmark
