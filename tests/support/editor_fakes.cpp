#include "tests/support/editor_fakes.h"

namespace quillmark::testing {

namespace {

class FakeAlert : public Alert {
 public:
  explicit FakeAlert(AlertRecord& record) : record_(record) {}
  void setMessageText(std::string_view text) override { record_.messageText = text; }
  void setInformativeText(std::string_view text) override { record_.informativeText = text; }
  void setAlertStyle(AlertStyle style) override { record_.style = style; }
  void addButtonWithTitle(std::string_view title) override { record_.buttons.emplace_back(title); }
  int runModal() override {
    ++record_.runs;
    return 1000;
  }

 private:
  AlertRecord& record_;
};

}  // namespace

std::unique_ptr<Alert> FakeAlertFactory::makeAlert() {
  return std::make_unique<FakeAlert>(alerts.emplace_back());
}

std::vector<std::string> FakeAlertFactory::messages() const {
  std::vector<std::string> texts;
  for (const AlertRecord& alert : alerts) texts.push_back(alert.informativeText);
  return texts;
}

FakeEditor::FakeEditor(bool withProgress) {
  editor = std::make_unique<ViewController>(
      EditorOutlets{headline, description, creator, copyright, keywords, headlineCheck,
                    descriptionCheck, creatorCheck, copyrightCheck, keywordsCheck, save,
                    writeFolder},
      EditorServices{openPanel, savePanel, alerts, withProgress ? &progress : nullptr});
  editor->setWindow(&window);
  editor->viewDidLoad();
  editor->viewDidAppear();
}

}  // namespace quillmark::testing
