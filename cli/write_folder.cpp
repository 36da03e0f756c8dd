// write-folder: the window's Write Folder, with a progress line on a terminal
// and Ctrl+C stopping between entries.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>

#include "cli/command.h"
#include "cli/fields.h"
#include "cli/output.h"
#include "cli/progress_line.h"
#include "editor/folder_write.h"
#include "editor/item_changes.h"

namespace quillmark::cli {

namespace {

class WriteFolder : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command =
        app.add_subcommand("write-folder", "write values to every file and folder below FOLDER");
    addFieldOptions(command, texts_);
    addDesktopCopiesFlag(command, desktopCopies_);
    command->add_option("FOLDER", folder_, "the folder whose entries get the values")->required();
    command
        ->add_option("-j,--jobs", jobs_,
                     "entries written at once (default: as suits the folder's filesystem)")
        ->check(CLI::Range(1, 256));
    return command;
  }

  int run() override {
    if (std::all_of(texts_.begin(), texts_.end(), [](auto& t) { return t.empty(); })) {
      throw UsageError("nothing to write: give at least one field option");
    }
    stopOnInterrupt();
    int status = kDone;
    {
      ProgressLine progress;
      // Asked every few milliseconds: Ctrl+C stops at the next entry after that.
      if (const int error = writeFolder(
              folder_, [this](std::size_t i) { return texts_[i]; },
              [&](const std::string& path, const std::string& message) {
                failed(path, message);
                status = kFailed;
                return interrupted == 0;
              },
              {&progress, std::chrono::milliseconds(10), jobs_, desktopCopies_})) {
        failed(folder_, failureMessage(kListFailed, error));
        status = kFailed;
      }
    }
    endIfInterrupted();
    return status;
  }

 private:
  std::array<std::string, 5> texts_;
  std::string folder_;
  std::size_t jobs_ = 0;  // 0: chosen by writeFolder
  bool desktopCopies_ = false;
};

}  // namespace

std::unique_ptr<Command> writeFolderCommand() { return std::make_unique<WriteFolder>(); }

}  // namespace quillmark::cli
