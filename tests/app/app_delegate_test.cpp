// Which updates page a system release leads to.
#include <gtest/gtest.h>

#include <string_view>

#include "app/app_delegate.h"

namespace quillmark {
namespace {

TEST(UpdatesPageTest, OnlyTheMinorNumberDecides) {
  constexpr std::string_view kElCapitan = "https://quillmark.example/updates/el-capitan";
  constexpr std::string_view kSierra = "https://quillmark.example/updates/sierra-high-sierra";
  struct Case {
    int major, minor, patch;
    std::string_view page;
  };
  const Case cases[] = {
      {10, 11, 6, kElCapitan},  {10, 12, 0, kSierra},   {10, 13, 6, kSierra},
      {10, 14, 2, kSierra},     {11, 2, 0, kElCapitan}, {12, 6, 0, kElCapitan},
      {-1, -1, -1, kElCapitan},  // what Linux reports
  };
  for (const Case& c : cases) {
    EXPECT_EQ(updatesPageFor(c.major, c.minor, c.patch), c.page)
        << c.major << "." << c.minor << "." << c.patch;
  }
}

}  // namespace
}  // namespace quillmark
