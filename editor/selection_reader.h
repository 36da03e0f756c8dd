// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reads items of a selection in the background, so that a window shows at once and fills as the
// values arrive.
//
// The reads run on Write Folder's pool (ordered_pool.h, as many threads as suit the first item's
// filesystem) from a thread of the reader's own, and are taken on the window's thread in the order
// given, whenever it likes. `ready` is called from the reader's thread when results wait and the
// taker was last told more than a moment ago, and once more at the end; it must only post a task to
// the window's thread. Stopping or destroying the reader starts no further read and waits for
// those running; nothing is ever written.
#ifndef QUILLMARK_EDITOR_SELECTION_READER_H_
#define QUILLMARK_EDITOR_SELECTION_READER_H_

#include <array>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "attrstore/places.h"
#include "imagemeta/embedded_values.h"

namespace quillmark {

class SelectionReader {
 public:
  struct Read {
    std::size_t item;  // its index in the selection
    std::array<FoundValue, kValueCount> values;
    EmbeddedValues embedded;
  };
  // Reads `items` (indices and paths), in that order.
  SelectionReader(std::vector<std::pair<std::size_t, std::string>> items,
                  std::function<void()> ready);
  ~SelectionReader();
  SelectionReader(const SelectionReader&) = delete;
  SelectionReader& operator=(const SelectionReader&) = delete;

  // What has been read since the last take, in order.
  std::vector<Read> take();
  // Starts no further read; those running still finish and can be taken.
  void stop() { stopping_ = true; }
  // Whether every read has ended (done or passed over after a stop): nothing more will come.
  bool finished() const { return finished_; }
  // Blocks until finished().
  void wait();

 private:
  void run(std::vector<std::pair<std::size_t, std::string>> items);

  std::function<void()> ready_;
  std::atomic<bool> stopping_{false}, finished_{false};
  std::mutex mutex_;
  std::vector<Read> waiting_;
  std::thread thread_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_SELECTION_READER_H_
