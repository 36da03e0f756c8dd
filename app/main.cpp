// Quillmark: views and edits the metadata that files and folders carry as
// extended attributes. Each path on the command line opens in its own window.
#include <QApplication>
#include <QIcon>

#include "app/app_delegate.h"
#include "app/document_controller.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillmark"));
  QApplication::setDesktopFileName(QStringLiteral("example.quillmark.Quillmark"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("example.quillmark.Quillmark")));

  quillmark::AppDelegate delegate;
  quillmark::DocumentController documents(delegate);
  documents.openLaunchArguments(QApplication::arguments().mid(1));
  return QApplication::exec();
}
