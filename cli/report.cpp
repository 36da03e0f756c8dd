// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// report: Save Text's report of an item's stored values, printed or written
// to a file as the window writes it.
#include <CLI/CLI.hpp>
#include <string>
#include <system_error>

#include "attrstore/item_at.h"
#include "attrstore/places.h"
#include "attrstore/xattr.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/output.h"
#include "editor/report.h"

namespace quillmark::cli {

namespace {

class Report : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command =
        app.add_subcommand("report", "print Save Text's report of an item's values");
    command->add_option("--output", output_, "write the report to FILE")->type_name("FILE");
    command->add_option("PATH", path_, "the item to report on")->required();
    return command;
  }

  int run() override {
    if (const int error = unreachable(path_)) {
      failed(path_, makePosixError(error).code().message());
      return kFailed;
    }
    // The texts as the window reports each of several items it has not edited (reportTexts): a
    // string as itself, the keywords joined, nothing for the rest.
    const std::string text = buildReport(reportTexts(readValues(itemAtPath(path_))));
    if (output_.empty()) {
      print(text);
      return kDone;
    }
    try {
      writeReportFile(output_, text);
    } catch (const std::system_error& error) {
      failed(output_, error.code().message());
      return kFailed;
    }
    return kDone;
  }

 private:
  std::string path_, output_;
};

}  // namespace

std::unique_ptr<Command> reportCommand() { return std::make_unique<Report>(); }

}  // namespace quillmark::cli
