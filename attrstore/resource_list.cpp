#include "attrstore/resource_list.h"

#include <system_error>
#include <utility>

#include "attrstore/codec.h"

namespace quillmark {

std::string ResourceItem::textValue() const { return decodeAttributeValue(data_); }

ResourceList::ResourceList(const std::filesystem::path& url) {
  children_.reserve(kValueNames.size());
  for (const ValueName& name : kValueNames) {
    Data data;
    try {
      data = readXattr(Item::atPath(url.c_str()), name.user);
    } catch (const std::system_error&) {
      // Absent, unsupported, unreadable or vanished all look the same to the
      // editor: an empty field the user can fill in. The next write reports
      // the real problem if there is one.
    }
    children_.emplace_back(std::move(data));
  }
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
