// The five values' attribute names, in list order (Copyright, Creator,
// Description, Headline, Keywords): the portable name a Mac shows, and the name
// under which Linux keeps it. This is the one place that spells them.
//
// Ordinary programs may only use the `user.` namespace on Linux; rsync -X and
// netatalk add and strip that same prefix, so values survive a trip to and
// from a Mac under their portable names.
#ifndef QUILLMARK_ATTRSTORE_NAMES_H_
#define QUILLMARK_ATTRSTORE_NAMES_H_

#include <array>
#include <string_view>

namespace quillmark {

struct ValueName {
  std::string_view portable;
  const char* user;
};

inline constexpr std::array<ValueName, 5> kValueNames = {{
    {"com.apple.metadata:kMDItemCopyright", "user.com.apple.metadata:kMDItemCopyright"},
    {"com.apple.metadata:kMDItemCreator", "user.com.apple.metadata:kMDItemCreator"},
    {"com.apple.metadata:kMDItemDescription", "user.com.apple.metadata:kMDItemDescription"},
    {"com.apple.metadata:kMDItemHeadline", "user.com.apple.metadata:kMDItemHeadline"},
    {"com.apple.metadata:kMDItemKeywords", "user.com.apple.metadata:kMDItemKeywords"},
}};

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_NAMES_H_
