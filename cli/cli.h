// quillmark-cli: the window's engine for shells, scripts and machines without
// a display. Four commands: `show` prints an item's five values (plain or
// JSON), `set` applies Save's rules to items, `write-folder` is the window's
// Write Folder, and `report` writes Save Text's report of an item's values.
//
// Failures are one line each on standard error, "PATH: " and the window's
// alert text, and the command goes on. Exit status: 0 all done, 1 something
// failed (or standard output was closed), 2 a usage error, which writes and
// removes nothing. Paths keep their bytes. See cli/quillmark-cli.1.
#ifndef QUILLMARK_CLI_CLI_H_
#define QUILLMARK_CLI_CLI_H_

namespace quillmark::cli {

int run(int argc, char** argv);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_CLI_H_
