// What quillmark-cli prints. Standard output may be a pipe that closes early:
// writing to it then throws OutputClosed, and the command ends quietly with
// status 1. Error lines go to standard error, one per failure.
#ifndef QUILLMARK_CLI_OUTPUT_H_
#define QUILLMARK_CLI_OUTPUT_H_

#include <string_view>

namespace quillmark::cli {

// Standard output went away (a closed pipe).
struct OutputClosed {};

// Writes `text` to standard output; throws OutputClosed when it is gone.
void print(std::string_view text);

// Hands everything printed so far to standard output; throws OutputClosed when it is gone.
void flushOutput();

// Reports one failure as "PATH: MESSAGE" on standard error.
void failed(std::string_view path, std::string_view message);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_OUTPUT_H_
