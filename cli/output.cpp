#include "cli/output.h"

#include <cstdio>
#include <iostream>

namespace quillmark::cli {

void print(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) throw OutputClosed{};
}

void flushOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) throw OutputClosed{};
}

void failed(std::string_view path, std::string_view message) {
  std::cerr << path << ": " << message << '\n';
}

}  // namespace quillmark::cli
