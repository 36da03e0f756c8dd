// One Open and one Save of the editor against the bare system calls each
// makes, timed alternately in the same run; the difference is the editor's
// own time (decoding, encoding, controls, error plumbing).
//
// Open: the open panel answers a file carrying all five values; its calls are
// five reads of two getxattr each (size, then value). Save: five fields
// filled; its calls are five setxattr and then the same ten getxattr, since
// Save shows what is stored afterwards. The five setxattr alone are shown too.
// Every sample is one operation; the table gives medians over all of them.
#include <sys/xattr.h>

#include <array>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/editor_fakes.h"

namespace {

using namespace quillmark;
using namespace quillmark::bench;

constexpr int kRounds = 10;
constexpr int kPerRound = 1000;

struct Operation {
  const char* name;
  std::function<void()> run;
  std::vector<double> micros;
};

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows as it happens, even in a log
  Figures figures(argc, argv);
  ScratchDir scratch;
  const std::string file = scratch.path() + "/harbour-at-dawn.jpg";
  const std::vector<RawAttribute> attributes = sampleAttributes();
  if (std::FILE* created = std::fopen(file.c_str(), "w")) std::fclose(created);
  for (const RawAttribute& attribute : attributes) {
    if (setxattr(file.c_str(), attribute.systemName.c_str(), attribute.value.data(),
                 attribute.value.size(), 0) != 0) {
      std::perror("setxattr");
      return 1;
    }
  }

  testing::FakeEditor editor;
  std::array<char, 4096> buffer;
  auto readAll = [&] {
    for (const RawAttribute& attribute : attributes) {
      const ssize_t size = getxattr(file.c_str(), attribute.systemName.c_str(), nullptr, 0);
      if (size < 0 || getxattr(file.c_str(), attribute.systemName.c_str(), buffer.data(),
                               static_cast<std::size_t>(size)) != size) {
        throw std::runtime_error("getxattr failed");
      }
    }
  };
  auto writeAll = [&] {
    for (const RawAttribute& attribute : attributes) {
      if (setxattr(file.c_str(), attribute.systemName.c_str(), attribute.value.data(),
                   attribute.value.size(), 0) != 0) {
        throw std::runtime_error("setxattr failed");
      }
    }
  };
  std::vector<Operation> operations = {
      {"open (editor)",
       [&] {
         editor.editor->openButton();
         editor.openPanel.answer(kModalResponseOK, file);
         editor.openPanel.requests.clear();  // the fake keeps every request otherwise
       },
       {}},
      {"10 getxattr", readAll, {}},
      {"save (editor)", [&] { editor.editor->saveButton(); }, {}},
      {"5 setxattr + 10 getxattr",
       [&] {
         writeAll();
         readAll();
       },
       {}},
      {"5 setxattr", writeAll, {}},
  };

  // Open once so that Save has a file and the fields hold the five values,
  // which it then writes back unchanged on every run.
  operations[0].run();
  const std::vector<std::string> texts = sampleTexts();
  const std::vector<testing::FakeTextField*> fields = editor.fieldsInListOrder();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i]->text_ != texts[i]) {
      std::fprintf(stderr, "Open did not show the stored values\n");
      return 1;
    }
  }

  for (int round = 0; round < kRounds; ++round) {
    for (int i = 0; i < kPerRound; ++i) {
      // A different operation leads each time, so none always follows the same one.
      for (std::size_t k = 0; k < operations.size(); ++k) {
        Operation& operation = operations[(k + static_cast<std::size_t>(i)) % operations.size()];
        const Clock::time_point start = Clock::now();
        operation.run();
        operation.micros.push_back(secondsSince(start) * 1e6);
      }
    }
  }
  if (!editor.alerts.alerts.empty()) {
    std::fprintf(stderr, "the editor raised an alert: %s\n",
                 editor.alerts.alerts.front().informativeText.c_str());
    return 1;
  }

  std::printf("Open and Save of one file in %s (%s), %d samples each\n", scratch.path().c_str(),
              scratch.filesystem().c_str(), kRounds * kPerRound);
  std::printf("%-26s %12s\n", "operation", "median us");
  std::vector<double> medians;
  for (const Operation& operation : operations) {
    medians.push_back(median(operation.micros));
    std::printf("%-26s %12.2f\n", operation.name, medians.back());
  }
  const double openOwn = medians[0] - medians[1];
  const double saveOwn = medians[2] - medians[3];
  auto pair = [](double editor, double calls) {
    return format("%.1f", editor) + " / " + format("%.1f us", calls);
  };
  figures.add({"open: editor / its 10 getxattr", pair(medians[0], medians[1]), "", true});
  figures.add({"open: editor's own time", format("%.1f us", openOwn), "< 50 us", openOwn < 50});
  figures.add(
      {"save: editor / its 5 setxattr + 10 getxattr", pair(medians[2], medians[3]), "", true});
  figures.add({"save: editor's own time", format("%.1f us", saveOwn), "< 50 us", saveOwn < 50});
  figures.add({"save: editor beyond 5 setxattr alone (re-read included)",
               format("%.1f us", medians[2] - medians[4]), "", true});
  return figures.finish() ? 0 : 1;
}
