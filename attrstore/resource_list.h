// A snapshot of the five metadata attributes of one file-system item.
//
// ResourceList reads the five attributes when it is constructed and never
// again; it always holds exactly five ResourceItems in list order (Copyright,
// Creator, Description, Headline, Keywords), an unreadable attribute giving
// empty bytes. Construction never fails.
#ifndef QUILLMARK_ATTRSTORE_RESOURCE_LIST_H_
#define QUILLMARK_ATTRSTORE_RESOURCE_LIST_H_

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "attrstore/names.h"
#include "attrstore/xattr.h"

namespace quillmark {

// One attribute as read: its raw bytes.
class ResourceItem {
 public:
  explicit ResourceItem(Data data) : data_(std::move(data)) {}

  const Data& data() const { return data_; }
  // decodeAttributeValue of data(): "" for empty bytes or a value holding no string.
  std::string textValue() const;

 private:
  Data data_;
};

// The attribute set of one item, read once at construction.
class ResourceList {
 public:
  static constexpr std::string_view itemCopyright = kValueNames[0].portable;
  static constexpr std::string_view itemCreator = kValueNames[1].portable;
  static constexpr std::string_view itemDescription = kValueNames[2].portable;
  static constexpr std::string_view itemHeadline = kValueNames[3].portable;
  static constexpr std::string_view itemKeywords = kValueNames[4].portable;
  // The five names in list order.
  static constexpr std::array<std::string_view, 5> kListOrder = {
      itemCopyright, itemCreator, itemDescription, itemHeadline, itemKeywords};

  // Reads the five attributes of the item at `url`; every read error gives empty bytes.
  explicit ResourceList(const std::filesystem::path& url);

  // One item per name of kListOrder, at the same position.
  const std::vector<ResourceItem>& children() const { return children_; }

 private:
  std::vector<ResourceItem> children_;
};

// The item's own name: the last non-empty component of `path`, so that a
// folder given with a trailing slash is still named after the folder.
std::string lastPathComponent(const std::filesystem::path& path);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_RESOURCE_LIST_H_
