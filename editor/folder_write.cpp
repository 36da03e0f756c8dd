#include "editor/folder_write.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/places.h"
#include "attrstore/sidecar_file.h"
#include "editor/item_changes.h"

namespace quillmark {

namespace {

bool isFileOrFolder(int folder, const char* name) {
  struct stat status;
  return fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode));
}

}  // namespace

FolderWriter::FolderWriter(TextAt textAt, FolderWriteFailed failed)
    : textAt_(std::move(textAt)), failed_(std::move(failed)) {}

bool FolderWriter::visitEntry(const WalkEntry& entry) {
  // A sidecar is written through the entry it belongs to.
  if (isSidecarOfSibling(entry.folder, entry.name)) return true;
  std::array<ValueEdit, 5> edits;
  std::array<int, 5> errors{};
  for (std::size_t i = 0; i < encoded_.size(); ++i) {
    std::string text = textAt_(i);
    if (text.empty()) continue;
    Encoded& encoded = encoded_[i];
    if (text != encoded.text) {
      encoded.value = encodeAttributeValue(text);
      encoded.text = std::move(text);
    }
    if (encoded.value.empty()) {
      errors[i] = EINVAL;
    } else {
      edits[i] = {ValueEdit::Action::kWrite, &encoded.value};
    }
  }
  const ItemAt at{Item::inFolder(entry.folder, entry.name), entry.folder,    {}, entry.name,
                  volumeOfFilesystem(entry.filesystemType), entry.hasSidecar};
  bool vanished = false;
  editValues(at, edits, [&](std::size_t position, int error) {
    // Gone, or swapped for a link or a special file since it was listed:
    // nothing left here to write, and nothing worth a word.
    vanished = vanished ||
               ((error == ENOENT || error == EPERM) && !isFileOrFolder(entry.folder, entry.name));
    errors[position] = error;
  });
  for (std::size_t i = 0; i < errors.size() && !vanished; ++i) {
    if (errors[i] != 0 && !failed_(entry.path, failureMessage(kWriteFailed, errors[i])))
      return false;
  }
  return true;
}

bool FolderWriter::folderUnlistable(const std::string& path, int error) {
  return failed_(path, failureMessage(kListFailed, error));
}

}  // namespace quillmark
