#include "attrstore/resource_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using quillmark::Data;
using quillmark::ResourceList;
using namespace quillmark::testing;

const std::vector<std::string> kExpectedOrder = {
    "com.apple.metadata:kMDItemCopyright", "com.apple.metadata:kMDItemCreator",
    "com.apple.metadata:kMDItemDescription", "com.apple.metadata:kMDItemHeadline",
    "com.apple.metadata:kMDItemKeywords"};

// Each child's name and bytes, after checking the list's own location and names.
std::vector<std::pair<std::string, Data>> contents(const ResourceList& list, const fs::path& url) {
  EXPECT_EQ(list.url(), url);
  EXPECT_EQ(list.itemList(), kExpectedOrder);
  std::vector<std::pair<std::string, Data>> out;
  for (const auto& item : list.children()) out.emplace_back(item.name(), item.data());
  return out;
}

TEST(ResourceListTest, ReadsEachValueAtItsOwnPositionOnceAndNeverFails) {
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  std::vector<std::pair<std::string, Data>> stored, none;
  for (const std::string& name : kExpectedOrder) {
    setRawAttribute(file, name, "value of " + name);
    stored.emplace_back(name, bytes("value of " + name));
    none.emplace_back(name, Data{});
  }
  const ResourceList list(file);
  EXPECT_EQ(contents(list, file), stored);

  // A snapshot: a later write shows in a new list only.
  quillmark::writeXattr(file, bytes("new"), ResourceList::itemHeadline);
  EXPECT_EQ(contents(list, file), stored);
  stored[3].second = bytes("new");
  EXPECT_EQ(contents(ResourceList(file), file), stored);

  // Whatever makes a value unreadable gives an empty one.
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  for (const fs::path& path :
       {dir.path() / "missing", file / "child", dir.path() / "dangling", dir.writeFile("bare")}) {
    EXPECT_EQ(contents(ResourceList(path), path), none) << path;
  }
}

TEST(LastPathComponentTest, NamesTheItemItself) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/b", "b"}, {"/a/b/", "b"}, {"/a/b//", "b"}, {"/", "/"},          {"//", "/"},
      {"", ""},      {"a", "a"},     {"a/", "a"},     {"/a b/c.d", "c.d"},
  };
  for (const auto& [path, name] : cases) {
    EXPECT_EQ(quillmark::lastPathComponent(path), name) << '"' << path << '"';
  }
}

}  // namespace
