#include "attrstore/resource_list.h"

#include <utility>

#include "attrstore/codec.h"

namespace quillmark {

std::string ResourceItem::textValue() const { return decodeAttributeValue(found_.data); }

std::string ResourceItem::placeholder() const {
  if (!found_.present) return {};
  const StoredValue value = readStoredValue(found_.data);
  return value.kind == StoredValue::Kind::kString ? std::string() : describeStoredValue(value);
}

ResourceList::ResourceList(const std::filesystem::path& url) {
  // Absent, unsupported, unreadable or vanished all look the same to the
  // editor: an empty field the user can fill in. The next write reports the
  // real problem if there is one.
  for (FoundValue& found : readValues(itemAtPath(url))) children_.emplace_back(std::move(found));
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
