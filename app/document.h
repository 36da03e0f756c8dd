// One document: a window built from the interface description, with its own
// editor (ViewController) and the adapters between the two.
//
// Documents here hold no data of their own: the editor reads and writes the
// attributes directly, so there is nothing to autosave and the document
// content operations always fail with the unimplemented error. The document
// lives as long as its window: when the window closes, windowClosed is
// emitted and the owner disposes of the document.
#ifndef QUILLMARK_APP_DOCUMENT_H_
#define QUILLMARK_APP_DOCUMENT_H_

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Ui {
class MainWindow;
}

namespace quillmark {

class FileOpenPanel;
class FileSavePanel;
class MessageAlertFactory;
class QMWindow;
class ViewController;
class WalkProgressDialog;

// Why a document operation failed: an OSStatus code.
struct DocumentError {
  static constexpr std::string_view kOSStatusDomain = "NSOSStatusErrorDomain";
  static constexpr std::int64_t kUnimplemented = -4;

  std::string domain;
  std::int64_t code = 0;
  std::map<std::string, std::string> userInfo;
};

class Document : public QObject {
  Q_OBJECT

 public:
  explicit Document(QObject* parent = nullptr);
  ~Document() override;

  static bool autosavesInPlace() { return false; }
  // Both fail, filling `error` when it is not null.
  std::optional<QByteArray> dataOfType(const QString& typeName, DocumentError* error) const;
  bool readFromData(const QByteArray& data, const QString& typeName, DocumentError* error);

  // Builds the window and its editor (once); the window is not shown yet.
  void makeWindowControllers();
  void showWindows();
  // Opens `path` in the editor exactly as if it had been chosen in the Open panel.
  void openPath(const std::filesystem::path& path);

  // Null before makeWindowControllers().
  QMWindow* window() const { return window_.get(); }
  Ui::MainWindow* ui() const { return ui_.get(); }
  ViewController* editor() const;

  // The adapters, for the application and tests; only after makeWindowControllers().
  FileOpenPanel& openPanel() const;
  FileSavePanel& savePanel() const;
  MessageAlertFactory& alerts() const;
  WalkProgressDialog& walkProgress() const;

 Q_SIGNALS:
  void windowClosed(quillmark::Document* document);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void writeFolder();

  struct Adapters;
  // Declared in construction order; the editor (in adapters_) goes first.
  std::unique_ptr<QMWindow> window_;
  std::unique_ptr<Ui::MainWindow> ui_;
  std::unique_ptr<Adapters> adapters_;
  bool walking_ = false;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_DOCUMENT_H_
