#include "app/qm_window.h"

namespace quillmark {

QMWindow::QMWindow(QWidget* parent) : QMainWindow(parent) {}

QMWindow::~QMWindow() = default;

}  // namespace quillmark
