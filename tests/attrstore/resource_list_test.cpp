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

std::vector<std::pair<std::string, Data>> contents(const ResourceList& list) {
  std::vector<std::pair<std::string, Data>> out;
  for (const auto& item : list.children()) out.emplace_back(item.name(), item.data());
  return out;
}

// The list as it should be when only `values` are stored, by index.
std::vector<std::pair<std::string, Data>> expected(std::vector<std::pair<size_t, Data>> values) {
  std::vector<std::pair<std::string, Data>> out;
  for (const std::string& name : kExpectedOrder) out.emplace_back(name, Data{});
  for (auto& [index, data] : values) out[index].second = std::move(data);
  return out;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

TEST(ResourceListTest, EachAttributeLandsAtItsOwnIndex) {
  TempDir dir;
  const fs::path bare = dir.writeFile("bare");
  const ResourceList none(bare);
  EXPECT_EQ(none.url(), bare);
  EXPECT_EQ(none.itemList(), kExpectedOrder);
  EXPECT_EQ(contents(none), expected({}));

  for (size_t index = 0; index < kExpectedOrder.size(); ++index) {
    SCOPED_TRACE(kExpectedOrder[index]);
    const fs::path file = dir.writeFile("only" + std::to_string(index));
    setRawAttribute(file, kExpectedOrder[index], "value");
    EXPECT_EQ(contents(ResourceList(file)), expected({{index, bytes("value")}}));
  }
}

TEST(ResourceListTest, UnreadableItemsGiveFiveEmptyValues) {
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  for (const fs::path& path : {dir.path() / "missing", file / "child", dir.path() / "dangling"}) {
    SCOPED_TRACE(path);
    const ResourceList list(path);
    EXPECT_EQ(list.url(), path);
    EXPECT_EQ(list.itemList(), kExpectedOrder);
    EXPECT_EQ(contents(list), expected({}));
  }
}

TEST(ResourceListTest, IsASnapshotTakenAtConstruction) {
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  setRawAttribute(file, ResourceList::itemHeadline, "old");
  const ResourceList first(file);
  EXPECT_EQ(contents(first), contents(ResourceList(file)));

  quillmark::writeXattr(file, bytes("new"), ResourceList::itemHeadline);
  EXPECT_EQ(contents(first), expected({{3, bytes("old")}}));
  EXPECT_EQ(contents(ResourceList(file)), expected({{3, bytes("new")}}));
}

TEST(ResourceListTest, SharesStoredNamesWithOtherTools) {
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  // Values written elsewhere arrive as property lists; python's plistlib writes them as the
  // platform does. A list-valued attribute keeps its bytes but has no text to show.
  ASSERT_EQ(runCommand("python3 -c \"import os, plistlib, sys\n"
                       "def put(name, value): os.setxattr(sys.argv[1], name, "
                       "plistlib.dumps(value, fmt=plistlib.FMT_BINARY))\n"
                       "put('user.com.apple.metadata:kMDItemHeadline', 'Hello')\n"
                       "put('user.com.apple.metadata:kMDItemKeywords', ['a', 'b'])\" " +
                       quoted(file)),
            0);
  const ResourceList list(file);
  EXPECT_EQ(list.children()[3].textValue(), "Hello");
  EXPECT_EQ(list.children()[4].data(), rawAttribute(file, ResourceList::itemKeywords));
  EXPECT_EQ(list.children()[4].textValue(), "");
  EXPECT_EQ(list.children()[0].textValue(), "");

  quillmark::writeXattr(file, bytes("ours"), ResourceList::itemCreator);
  std::string listing;
  ASSERT_EQ(runCommand("getfattr --absolute-names -d -m - " + quoted(file), &listing), 0);
  EXPECT_NE(listing.find("\nuser.com.apple.metadata:kMDItemCreator=\"ours\"\n"), std::string::npos)
      << listing;
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
