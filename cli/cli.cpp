#include "cli/cli.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/places.h"
#include "attrstore/utf.h"
#include "editor/folder_write.h"
#include "editor/item_changes.h"
#include "editor/report.h"

namespace quillmark::cli {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

enum Status { kDone = 0, kFailed = 1, kUsage = 2 };

// The five fields in list order (Copyright, Creator, Description, Headline,
// Keywords), and the order the window shows them in.
constexpr std::array<const char*, 5> kFields = {"copyright", "creator", "description", "headline",
                                                "keywords"};
constexpr std::array<const char*, 5> kLabels = {"Copyright", "Creator", "Description", "Headline",
                                                "Keywords"};
constexpr std::array<std::size_t, 5> kWindowOrder = {3, 2, 1, 0, 4};

constexpr const char* kUsageText =
    "usage: quillmark-cli show [--json] PATH...\n"
    "       quillmark-cli set [FIELD OPTIONS] [--remove FIELD]... PATH...\n"
    "       quillmark-cli set --json FILE [PATH...]\n"
    "       quillmark-cli write-folder FIELD OPTIONS FOLDER\n"
    "       quillmark-cli report [--output FILE] PATH\n"
    "FIELD OPTIONS: --headline, --description, --creator, --copyright, --keywords TEXT\n"
    "Try 'quillmark-cli --help' or 'man quillmark-cli' for more.\n";

// Bad input found before anything was written: the message says what is wrong.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// Standard output went away (a closed pipe): the command ends quietly.
struct OutputClosed {};

volatile std::sig_atomic_t interrupted = 0;

void failed(std::string_view path, std::string_view message) {
  std::cerr << path << ": " << message << '\n';
}

// Hands everything printed so far to standard output; throws when it is gone.
void flushOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) throw OutputClosed{};
}

void print(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) throw OutputClosed{};
}

// The errno when `path` itself cannot be reached, else 0.
int unreachable(const fs::path& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? 0 : errno;
}

// The item's five values in list order, wherever Mac peers keep them; nothing
// for a value it does not carry.
std::array<std::optional<StoredValue>, 5> storedValues(const fs::path& path) {
  const std::array<FoundValue, 5> found = readValues(itemAtPath(path));
  std::array<std::optional<StoredValue>, 5> values;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (found[i].present) values[i] = readStoredValue(found[i].data);
  }
  return values;
}

// --- Paths in JSON: a UTF-8 path as a string, any other as {"base64": ...} ----

constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);  // bytes in this group
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < count ? static_cast<std::uint8_t>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= count ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

std::optional<std::string> unbase64(std::string_view text) {
  std::string out;
  std::uint32_t group = 0;
  int bits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=') {
      if (text.find_first_not_of('=', i) != std::string_view::npos) return std::nullopt;
      break;
    }
    const std::size_t value = kBase64.find(text[i]);
    if (value == std::string_view::npos) return std::nullopt;
    group = (group << 6) | static_cast<std::uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((group >> bits) & 0xFF);
    }
  }
  return out;
}

Json pathToJson(const fs::path& path) {
  if (utf::isValidUtf8(path.native())) return path.native();
  return Json{{"base64", base64(path.native())}};
}

fs::path pathFromJson(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_object() && value.size() == 1 && value.contains("base64") &&
      value["base64"].is_string()) {
    if (std::optional<std::string> bytes = unbase64(value["base64"].get<std::string>())) {
      return *bytes;
    }
  }
  throw UsageError("--json: \"path\" must be a string or {\"base64\": \"...\"}");
}

// --- show ---------------------------------------------------------------------

// A value as one field line: a string with every line after the first
// indented by a tab, anything else described in brackets.
std::string plainValue(const StoredValue& value) {
  if (value.kind != StoredValue::Kind::kString) return "[" + describeStoredValue(value) + "]";
  std::string out;
  for (char c : value.text) {
    out += c;
    if (c == '\n') out += '\t';
  }
  return out;
}

Json jsonValue(const StoredValue& value) {
  if (value.kind == StoredValue::Kind::kString) return value.text;
  if (value.kind == StoredValue::Kind::kStringArray) return value.items;
  return nullptr;
}

int show(const std::vector<std::string>& paths, bool asJson) {
  int status = kDone;
  Json items = Json::array();
  bool first = true;
  for (const fs::path path : paths) {
    if (const int error = unreachable(path)) {
      failed(path.native(), makePosixError(error).code().message());
      status = kFailed;
      continue;
    }
    const std::array<std::optional<StoredValue>, 5> values = storedValues(path);
    if (asJson) {
      Json item = {{"path", pathToJson(path)}};
      for (std::size_t i : kWindowOrder)
        item[kFields[i]] = values[i] ? jsonValue(*values[i]) : nullptr;
      items.push_back(std::move(item));
      continue;
    }
    std::string text = (first ? "" : "\n") + path.native() + "\n";
    for (std::size_t i : kWindowOrder) {
      text +=
          std::string(kLabels[i]) + ":" + (values[i] ? " " + plainValue(*values[i]) : "") + "\n";
    }
    first = false;
    print(text);
    flushOutput();
  }
  if (asJson) print(items.dump(2) + "\n");
  return status;
}

// --- set ----------------------------------------------------------------------

// The changes of one `set` and the items they go to.
struct SetJob {
  fs::path path;
  std::array<ValueChange, 5> changes;
};

std::vector<SetJob> jobsFromJson(const std::string& file, const std::vector<std::string>& paths) {
  Json document;
  try {
    if (file == "-") {
      document = Json::parse(std::cin);
    } else {
      std::ifstream in(file, std::ios::binary);
      if (!in) throw UsageError("--json: " + file + ": " + makePosixError(errno).code().message());
      document = Json::parse(in);
    }
  } catch (const Json::parse_error& error) {
    throw UsageError(std::string("--json: ") + error.what());
  }
  if (document.is_object()) document = Json::array({document});
  if (!document.is_array() || (!paths.empty() && document.size() != 1)) {
    throw UsageError(paths.empty() ? "--json: expected the list that show --json prints"
                                   : "--json: with PATHs, the list must hold one item");
  }
  std::vector<SetJob> jobs;
  for (const Json& item : document) {
    if (!item.is_object()) throw UsageError("--json: every item must be an object");
    SetJob job;
    for (const auto& [key, value] : item.items()) {
      if (key == "path") {
        job.path = pathFromJson(value);
        continue;
      }
      const auto field = std::find(kFields.begin(), kFields.end(), key);
      if (field == kFields.end()) throw UsageError("--json: unknown field \"" + key + "\"");
      // null leaves the value alone, and so does a list: only strings are written.
      if (value.is_null() ||
          (value.is_array() &&
           std::all_of(value.begin(), value.end(), [](const Json& v) { return v.is_string(); }))) {
        continue;
      }
      if (!value.is_string()) throw UsageError("--json: \"" + key + "\" must be a string or null");
      job.changes[static_cast<std::size_t>(field - kFields.begin())] = {ValueChange::Action::kWrite,
                                                                        value.get<std::string>()};
    }
    if (paths.empty()) {
      if (!item.contains("path")) throw UsageError("--json: an item has no \"path\"");
      jobs.push_back(std::move(job));
    } else {
      for (const std::string& path : paths) jobs.push_back({path, job.changes});
    }
  }
  return jobs;
}

std::vector<SetJob> jobsFromOptions(const std::array<std::string, 5>& texts,
                                    const std::vector<std::string>& removals,
                                    const std::vector<std::string>& paths) {
  std::array<ValueChange, 5> changes;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (!texts[i].empty()) changes[i] = {ValueChange::Action::kWrite, texts[i]};
  }
  for (const std::string& field : removals) {
    const auto i = static_cast<std::size_t>(std::find(kFields.begin(), kFields.end(), field) -
                                            kFields.begin());
    if (changes[i].action == ValueChange::Action::kWrite) {
      throw UsageError("--" + field + " and --remove " + field + " together");
    }
    changes[i].action = ValueChange::Action::kRemove;
  }
  if (std::all_of(changes.begin(), changes.end(),
                  [](const ValueChange& c) { return c.action == ValueChange::Action::kKeep; })) {
    throw UsageError("nothing to change: give a field option, --remove or --json");
  }
  if (paths.empty()) throw UsageError("no PATH given");
  std::vector<SetJob> jobs;
  for (const std::string& path : paths) jobs.push_back({path, changes});
  return jobs;
}

int set(const std::vector<SetJob>& jobs) {
  int status = kDone;
  for (const SetJob& job : jobs) {
    changeItem(job.path, job.changes, [&](std::size_t, const std::string& message) {
      failed(job.path.native(), message);
      status = kFailed;
    });
  }
  return status;
}

// --- write-folder ---------------------------------------------------------------

void noteInterrupt(int) { interrupted = 1; }

// Stops the walk after Ctrl+C, and on a terminal redraws one line on standard
// error at most ten times a second: entries done, their rate, the current path.
class ProgressLine : public WalkProgress {
 public:
  ProgressLine() : shown_(isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() override {
    if (drawn_) std::fputs("\r\033[K", stderr);
  }

  bool walkProgressed(std::uint64_t done, const fs::path& current) override {
    if (interrupted) return false;
    const auto now = std::chrono::steady_clock::now();
    if (!shown_ || now < next_) return true;
    next_ = now + std::chrono::milliseconds(100);
    const double seconds = std::chrono::duration<double>(now - start_).count();
    winsize size{};
    const std::size_t width =
        ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    char counts[64];
    std::snprintf(counts, sizeof counts, "%llu entries, %.0f/s  ",
                  static_cast<unsigned long long>(done), seconds > 0 ? done / seconds : 0.0);
    std::string line = counts + current.native();
    if (line.size() >= width) line = line.substr(0, width - 1);
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    drawn_ = true;
    return true;
  }

 private:
  bool shown_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point next_ = start_;
};

int writeFolder(const fs::path& folder, const std::array<std::string, 5>& texts) {
  struct sigaction action {};
  action.sa_handler = noteInterrupt;
  sigaction(SIGINT, &action, nullptr);
  int status = kDone;
  {
    ProgressLine progress;
    FolderWriter writer([&texts](std::size_t i) { return texts[i]; },
                        [&](const std::string& path, const std::string& message) {
                          failed(path, message);
                          status = kFailed;
                          return interrupted == 0;
                        });
    // Asked every few milliseconds: Ctrl+C stops at the next entry after that.
    if (const int error = walkFolder(folder, writer, {&progress, std::chrono::milliseconds(10)})) {
      failed(folder.native(), failureMessage(kListFailed, error));
      status = kFailed;
    }
  }
  if (interrupted) {
    // Stopped between entries: end as the shell expects of Ctrl+C.
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
  }
  return status;
}

// --- report -------------------------------------------------------------------

int report(const fs::path& path, const std::string& output) {
  if (const int error = unreachable(path)) {
    failed(path.native(), makePosixError(error).code().message());
    return kFailed;
  }
  // The window shows an empty field for anything but a string, and so does its report.
  std::array<std::string, 5> texts;
  const std::array<std::optional<StoredValue>, 5> values = storedValues(path);
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = values[i] ? values[i]->text : "";
  const std::string text = buildReport(texts[3], texts[2], texts[1], texts[0], texts[4]);
  if (output.empty()) {
    print(text);
    return kDone;
  }
  try {
    writeReportFile(output, text);
  } catch (const std::system_error& error) {
    failed(output, error.code().message());
    return kFailed;
  }
  return kDone;
}

}  // namespace

int run(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a write error, and ends quietly
  CLI::App app{
      "The headline, description, creator, copyright and keywords of files and "
      "folders, as Quillmark keeps them in extended attributes.",
      "quillmark-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", QUILLMARK_VERSION);
  const auto notEmpty = CLI::Validator(
      [](std::string& text) {
        if (text.empty()) return std::string("an empty value; to remove one, use --remove");
        return utf::isValidUtf8(text) ? std::string() : std::string("not UTF-8 text");
      },
      "");
  const auto addFieldOptions = [&](CLI::App* command, std::array<std::string, 5>& texts) {
    std::vector<CLI::Option*> options;
    for (std::size_t i : kWindowOrder) {
      options.push_back(command
                            ->add_option(std::string("--") + kFields[i], texts[i],
                                         std::string("store TEXT as the ") + kFields[i])
                            ->check(notEmpty));
    }
    return options;
  };

  bool asJson = false;
  std::vector<std::string> showPaths;
  CLI::App* showCommand = app.add_subcommand("show", "print the five values of each item");
  showCommand->add_flag("--json", asJson, "print one JSON list with an object per item");
  showCommand->add_option("PATH", showPaths, "items to read")->required();

  std::array<std::string, 5> setTexts;
  std::vector<std::string> removals, setPaths;
  std::string jsonFile;
  CLI::App* setCommand = app.add_subcommand("set", "write and remove values as Save does");
  const std::vector<CLI::Option*> setFields = addFieldOptions(setCommand, setTexts);
  CLI::Option* remove =
      setCommand->add_option("--remove", removals, "remove the value of FIELD")
          ->allow_extra_args(false)
          ->type_name("FIELD")
          ->check(CLI::IsMember({kFields[0], kFields[1], kFields[2], kFields[3], kFields[4]}));
  CLI::Option* json =
      setCommand
          ->add_option("--json", jsonFile, "take the values from show --json output ('-': stdin)")
          ->type_name("FILE");
  for (CLI::Option* field : setFields) json->excludes(field);
  json->excludes(remove);
  setCommand->add_option("PATH", setPaths, "items to change");

  std::array<std::string, 5> folderTexts;
  std::string folder;
  CLI::App* folderCommand =
      app.add_subcommand("write-folder", "write values to every file and folder below FOLDER");
  addFieldOptions(folderCommand, folderTexts);
  folderCommand->add_option("FOLDER", folder, "the folder whose entries get the values")
      ->required();

  std::string reportPath, output;
  CLI::App* reportCommand =
      app.add_subcommand("report", "print Save Text's report of an item's values");
  reportCommand->add_option("--output", output, "write the report to FILE")->type_name("FILE");
  reportCommand->add_option("PATH", reportPath, "the item to report on")->required();

  try {
    app.parse(argc, argv);
    if (setCommand->parsed()) {
      return set(json->count() > 0 ? jobsFromJson(jsonFile, setPaths)
                                   : jobsFromOptions(setTexts, removals, setPaths));
    }
    if (folderCommand->parsed()) {
      if (std::all_of(folderTexts.begin(), folderTexts.end(), [](auto& t) { return t.empty(); })) {
        throw UsageError("nothing to write: give at least one field option");
      }
      return writeFolder(folder, folderTexts);
    }
    // Output still buffered may fail to go out: that is a failure too.
    const int status =
        reportCommand->parsed() ? report(reportPath, output) : show(showPaths, asJson);
    flushOutput();
    return status;
  } catch (const CLI::Success& help) {  // --help, --version
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::cerr << "quillmark-cli: " << error.what() << '\n' << kUsageText;
    return kUsage;
  } catch (const UsageError& error) {
    std::cerr << "quillmark-cli: " << error.what() << '\n' << kUsageText;
    return kUsage;
  } catch (const OutputClosed&) {
    return kFailed;
  }
}

}  // namespace quillmark::cli
