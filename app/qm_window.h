// The document window. It is a plain QMainWindow under its own class name, so
// the window can be told apart from dialogs (by qobject_cast and in style
// sheets) without adding behaviour: everything the window does is wired from
// outside by its Document.
#ifndef QUILLMARK_APP_QM_WINDOW_H_
#define QUILLMARK_APP_QM_WINDOW_H_

#include <QMainWindow>

namespace quillmark {

class QMWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit QMWindow(QWidget* parent = nullptr);
  ~QMWindow() override;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_QM_WINDOW_H_
