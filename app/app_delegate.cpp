#include "app/app_delegate.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QOperatingSystemVersion>
#include <QUrl>

namespace quillmark {

namespace {
// The maker's pages. The domain is a reserved one until the maker has a site.
constexpr std::string_view kUpdatesElCapitanUrl = "https://quillmark.example/updates/el-capitan";
constexpr std::string_view kUpdatesSierraUrl =
    "https://quillmark.example/updates/sierra-high-sierra";
constexpr std::string_view kSupportUrl = "https://quillmark.example/support/extended-attributes";

// Only the minor number decides (below 12 and 12 on).
std::string_view updatesPageFor(int minor) {
  return minor < 12 ? kUpdatesElCapitanUrl : kUpdatesSierraUrl;
}

}  // namespace

AppDelegate::AppDelegate(UrlOpener opener, QObject* parent)
    : QObject(parent), opener_(std::move(opener)) {
  if (!opener_) opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::openUpdates() {
  open(updatesPageFor(QOperatingSystemVersion::current().minorVersion()));
}

void AppDelegate::openSupport() { open(kSupportUrl); }

void AppDelegate::open(std::string_view address) {
  // A refusal is deliberately ignored.
  (void)opener_(QUrl(QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()))));
}

void AppDelegate::showAbout(QWidget* window) {
  QMessageBox::about(
      window, tr("About Quillmark"),
      tr("<p><b>Quillmark %1</b></p>"
         "<p>Views and edits the headline, description, creator, copyright and keywords "
         "that files and folders carry as extended attributes.</p>")
          .arg(QStringLiteral(QUILLMARK_VERSION)));
}

}  // namespace quillmark
