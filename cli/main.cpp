// quillmark-cli: the five metadata values of files and folders, from a shell.
#include "cli/cli.h"

int main(int argc, char** argv) { return quillmark::cli::run(argc, argv); }
