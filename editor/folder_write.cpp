#include "editor/folder_write.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/names.h"
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

bool FolderWriter::visitEntry(int folder, const char* name, const std::string& path) {
  const Item entry = Item::inFolder(folder, name);
  for (std::size_t i = 0; i < encoded_.size(); ++i) {
    std::string text = textAt_(i);
    if (text.empty()) continue;
    Encoded& encoded = encoded_[i];
    if (text != encoded.text) {
      encoded.value = encodeAttributeValue(text);
      encoded.text = std::move(text);
    }
    int error = encoded.value.empty() ? EINVAL : 0;
    if (error == 0) {
      try {
        writeXattr(entry, encoded.value, kValueNames[i].user);
      } catch (const std::system_error& failure) {
        error = failure.code().value();
        // Gone, or swapped for a link or a special file since it was listed:
        // nothing left here to write, and nothing worth a word.
        if ((error == ENOENT || error == EPERM) && !isFileOrFolder(folder, name)) return true;
      }
    }
    if (error != 0 && !failed_(path, failureMessage(kWriteFailed, error))) return false;
  }
  return true;
}

bool FolderWriter::folderUnlistable(const std::string& path, int error) {
  return failed_(path, failureMessage(kListFailed, error));
}

}  // namespace quillmark
