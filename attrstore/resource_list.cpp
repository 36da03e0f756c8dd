#include "attrstore/resource_list.h"

#include "attrstore/codec.h"

namespace quillmark {

ResourceItem::ResourceItem(const FoundValue& found)
    : present_(found.present), value_(readStoredValue(found.data)) {}

std::string ResourceItem::textValue() const {
  return value_.kind == StoredValue::Kind::kString ? value_.text : std::string();
}

std::string ResourceItem::placeholder() const {
  if (!present_ || value_.kind == StoredValue::Kind::kString) return {};
  return describeStoredValue(value_);
}

ResourceList::ResourceList(const std::filesystem::path& url) {
  // Absent, unsupported, unreadable or vanished all look the same to the
  // editor: an empty field the user can fill in. The next write reports the
  // real problem if there is one.
  for (const FoundValue& found : readValues(itemAtPath(url))) children_.emplace_back(found);
}

std::string lastPathComponent(const std::filesystem::path& path) {
  const std::string& text = path.native();
  const size_t end = text.find_last_not_of('/');
  // Only slashes: the root names itself.
  if (end == std::string::npos) return text.empty() ? std::string() : std::string("/");
  const size_t slash = text.rfind('/', end);
  const size_t begin = slash == std::string::npos ? 0 : slash + 1;
  return text.substr(begin, end + 1 - begin);
}

}  // namespace quillmark
