#include "attrstore/resource_list.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using quillmark::Data;
using quillmark::ResourceList;
using namespace quillmark::testing;

std::vector<Data> contents(const ResourceList& list) {
  std::vector<Data> out;
  for (const auto& item : list.children()) out.push_back(item.data());
  return out;
}

TEST(ResourceListTest, ReadsEachValueAtItsOwnPositionOnceAndNeverFails) {
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  std::vector<Data> stored;
  for (const char* name : {"kMDItemCopyright", "kMDItemCreator", "kMDItemDescription",
                           "kMDItemHeadline", "kMDItemKeywords"}) {
    setRawAttribute(file, std::string("com.apple.metadata:") + name, name);
    stored.push_back(bytes(name));
  }
  const ResourceList list(file);
  EXPECT_EQ(contents(list), stored);
  // A snapshot: a later write shows in a new list only.
  quillmark::writeXattr(file, bytes("new"), ResourceList::itemHeadline);
  EXPECT_EQ(contents(list), stored);
  stored[3] = bytes("new");
  EXPECT_EQ(contents(ResourceList(file)), stored);

  // Whatever makes a value unreadable gives an empty one.
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  for (const fs::path& path :
       {dir.path() / "missing", file / "child", dir.path() / "dangling", dir.writeFile("bare")}) {
    EXPECT_EQ(contents(ResourceList(path)), std::vector<Data>(5)) << path;
  }
}

TEST(LastPathComponentTest, NamesTheItemItself) {
  for (const auto& [path, name] : std::initializer_list<std::pair<const char*, const char*>>{
           {"/a/b", "b"}, {"/a/b//", "b"}, {"/", "/"}, {"", ""}, {"a", "a"}}) {
    EXPECT_EQ(quillmark::lastPathComponent(path), name) << '"' << path << '"';
  }
}

}  // namespace
