// Write Folder's work, shared by the window and the command line's
// `write-folder`: every non-empty value written to every file and folder below
// a folder (see folder_walk.h for which entries) in each place Mac peers keep
// it (see attrstore/places.h), nothing removed. A valid sidecar "._x" beside
// "x" is part of "x", not an entry of its own. Failures are reported as the
// user reads them ("setxattr error: ...", "opendir error: ...") and the walk
// goes on unless the report says stop.
#ifndef QUILLMARK_EDITOR_FOLDER_WRITE_H_
#define QUILLMARK_EDITOR_FOLDER_WRITE_H_

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "attrstore/xattr.h"
#include "editor/folder_walk.h"

namespace quillmark {

// The text for list position `position`, asked afresh for every entry (the
// window's fields may change while the walk reports progress); empty: none.
using TextAt = std::function<std::string(std::size_t position)>;
// A failure at `path` (the entry or folder); returns false to end the walk.
using FolderWriteFailed = std::function<bool(const std::string& path, const std::string& message)>;

class FolderWriter final : public FolderVisitor {
 public:
  FolderWriter(TextAt textAt, FolderWriteFailed failed);

  bool visitEntry(const WalkEntry& entry) override;
  bool folderUnlistable(const std::string& path, int error) override;

 private:
  struct Encoded {
    std::string text;
    Data value;
  };

  TextAt textAt_;
  FolderWriteFailed failed_;
  // A text is only encoded again when it has changed.
  std::array<Encoded, 5> encoded_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_FOLDER_WRITE_H_
