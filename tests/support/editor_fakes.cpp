#include "tests/support/editor_fakes.h"

#include <utility>

namespace quillmark::testing {

std::string FakeTextField::stringValue() const {
  if (onRead) onRead();
  return text_;
}

namespace {

template <typename Request>
bool answerLatest(std::vector<Request>& requests, int response,
                  std::optional<std::filesystem::path> url) {
  if (requests.empty() || !requests.back().completion) return false;
  // Taken out first: a completion may start another panel.
  PanelCompletion completion = std::move(requests.back().completion);
  requests.back().completion = nullptr;
  completion(response, std::move(url));
  return true;
}

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

void FakeOpenPanel::beginSheetModal(const OpenPanelSettings& settings, Window* window,
                                    PanelCompletion completion) {
  requests.push_back({settings, window, std::move(completion)});
}

bool FakeOpenPanel::answer(int response, std::optional<std::filesystem::path> url) {
  return answerLatest(requests, response, std::move(url));
}

void FakeSavePanel::begin(const SavePanelSettings& settings, PanelCompletion completion) {
  requests.push_back({settings, nullptr, std::move(completion)});
}

bool FakeSavePanel::answer(int response, std::optional<std::filesystem::path> url) {
  return answerLatest(requests, response, std::move(url));
}

std::unique_ptr<Alert> FakeAlertFactory::makeAlert() {
  return std::make_unique<FakeAlert>(alerts.emplace_back());
}

std::vector<std::string> FakeAlertFactory::messages() const {
  std::vector<std::string> texts;
  for (const AlertRecord& alert : alerts) texts.push_back(alert.informativeText);
  return texts;
}

bool FakeProgress::walkProgressed(std::uint64_t done, const std::filesystem::path& current) {
  entriesDone.push_back(done);
  paths.push_back(current);
  return !stopAfter || entriesDone.size() <= *stopAfter;
}

FakeEditor::FakeEditor(bool withProgress) {
  EditorOutlets outlets{
      headline,         description,  creator,        copyright,     keywords, headlineCheck,
      descriptionCheck, creatorCheck, copyrightCheck, keywordsCheck, save,     writeFolder};
  EditorServices services{openPanel, savePanel, alerts, withProgress ? &progress : nullptr};
  editor = std::make_unique<ViewController>(outlets, services);
  editor->setWindow(&window);
  editor->viewDidLoad();
  editor->viewDidAppear();
}

std::vector<FakeTextField*> FakeEditor::fieldsInListOrder() {
  return {&copyright, &creator, &description, &headline, &keywords};
}

std::vector<FakeCheckbox*> FakeEditor::checkboxesInListOrder() {
  return {&copyrightCheck, &creatorCheck, &descriptionCheck, &headlineCheck, &keywordsCheck};
}

}  // namespace quillmark::testing
