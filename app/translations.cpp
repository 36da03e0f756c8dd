// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <algorithm>
#include <charconv>
#include <iterator>

#include "app/controls_qt.h"
#include "attrstore/codec.h"
#include "attrstore/names.h"
#include "editor/image_values.h"
#include "editor/item_changes.h"
#include "app/paths.h"
#include "attrstore/xattr.h"

namespace quillmark {

namespace {

constexpr char kContext[] = "EditorTexts";

// One of the editor's fixed texts: its constant, and the same text as a
// literal for lupdate to find.
struct KnownText {
  std::string_view english;
  const char* source;
};

// Texts that start an alert's details, or follow one of the others.
constexpr KnownText kMessageParts[] = {
    {kImageUnreadable,
     QT_TRANSLATE_NOOP("EditorTexts", "The values in the image cannot be read: ")},
    {kUnreadableMetadata, QT_TRANSLATE_NOOP("EditorTexts", "unreadable metadata")},
};
static_assert(std::ranges::all_of(kMessageParts,
                                  [](const KnownText& text) {
                                    return text.english == text.source;
                                  }),
              "a marked text differs from the editor's constant it translates");

// A stored value's kind in the words of describeStoredValue, in kKindWords' order.
constexpr const char* kKinds[] = {
    QT_TRANSLATE_NOOP("EditorTexts", "a number"),
    QT_TRANSLATE_NOOP("EditorTexts", "a date"),
    QT_TRANSLATE_NOOP("EditorTexts", "a true or false value"),
    QT_TRANSLATE_NOOP("EditorTexts", "a dictionary"),
    QT_TRANSLATE_NOOP("EditorTexts", "a list"),
    QT_TRANSLATE_NOOP("EditorTexts", "an empty list"),
    QT_TRANSLATE_NOOP("EditorTexts", "a string"),
    QT_TRANSLATE_NOOP("EditorTexts", "unreadable"),
};
static_assert(std::size(kKinds) == std::size(kKindWords) &&
                  std::ranges::equal(kKinds, kKindWords,
                                     [](const char* marked, const KindWords& kind) { return kind.words == marked; }),
              "a marked kind differs from the words it translates");

QString translated(const char* source, int n = -1) {
  return QCoreApplication::translate(kContext, source, nullptr, n);
}

QString translatedKind(std::string_view text) {
  for (const char* kind : kKinds) {
    if (text == kind) return translated(kind);
  }
  // An unreadable value with the system's reason, which stays as the C library gave it.
  if (constexpr std::string_view kUnreadableFor = "unreadable: "; text.starts_with(kUnreadableFor)) {
    return translated(QT_TRANSLATE_NOOP("EditorTexts", "unreadable: %1"))
        .arg(toQString(text.substr(kUnreadableFor.size())));
  }
  if (text.starts_with(kDataOf)) {
    const std::string_view rest = text.substr(kDataOf.size());
    int size = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), size);
    const std::string_view unit(end, static_cast<std::size_t>(rest.data() + rest.size() - end));
    if (error == std::errc() && (unit == " byte" || unit == " bytes"))
      return translated(QT_TRANSLATE_N_NOOP("EditorTexts", "data of %Ln byte(s)"), size);
  }
  return toQString(text);
}

// The values' labels as the alert over several items names them.
constexpr KnownText kLabels[] = {
    {kValueNames[kCopyright].label, QT_TRANSLATE_NOOP("EditorTexts", "Copyright")},
    {kValueNames[kCreator].label, QT_TRANSLATE_NOOP("EditorTexts", "Creator")},
    {kValueNames[kDescription].label, QT_TRANSLATE_NOOP("EditorTexts", "Description")},
    {kValueNames[kHeadline].label, QT_TRANSLATE_NOOP("EditorTexts", "Headline")},
    {kValueNames[kKeywords].label, QT_TRANSLATE_NOOP("EditorTexts", "Keywords")},
    {kValueNames[kTags].label, QT_TRANSLATE_NOOP("EditorTexts", "Tags")},
};
static_assert(std::ranges::all_of(kLabels,
                                  [](const KnownText& text) {
                                    return text.english == text.source;
                                  }),
              "a marked label differs from the one it translates");

}  // namespace

void installTranslations() {
  QCoreApplication* app = QCoreApplication::instance();
  auto* own = new QTranslator(app);
  // English has a file too, for its plural forms ("1 item"); it is taken
  // when none of the user's languages is there.
  if (!own->load(QLocale(), QStringLiteral("quillmark"), QStringLiteral("_"),
                 QStringLiteral(":/i18n")) &&
      !own->load(QStringLiteral("quillmark_en"), QStringLiteral(":/i18n"))) {
    delete own;
    return;
  }
  QCoreApplication::installTranslator(own);
  // Qt's own buttons and dialogs in the language just chosen, not in another
  // of the user's list that Quillmark lacks.
  auto* qt = new QTranslator(app);
  if (qt->load(QLocale(own->language()), QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
}

QString translatedAlert(std::string_view details) {
  QStringList lines;
  for (std::size_t start = 0; start <= details.size();) {
    const std::size_t end = std::min(details.find('\n', start), details.size());
    lines << translatedMessage(details.substr(start, end - start));
    start = end + 1;
  }
  return lines.join(QLatin1Char('\n'));
}

QString translatedFailure(const Failure& failure) {
  if (!failure.commaTag.empty()) {
    return translated(QT_TRANSLATE_NOOP("EditorTexts", "setxattr error: ")) +
           translated(QT_TRANSLATE_NOOP("EditorTexts", "a desktop tag cannot hold a comma: ")) +
           QLatin1Char('"') + toQString(failure.commaTag) + QLatin1Char('"');
  }
  if (const auto& why = failure.keywordRefusal) {
    return translated(QT_TRANSLATE_NOOP("EditorTexts", "setxattr error: ")) +
           (why->keptAs.empty()
                ? translated(QT_TRANSLATE_NOOP("EditorTexts",
                                               "keywords kept as one string cannot hold \"%1\": it would read as two"))
                      .arg(toQString(why->commaWord))
                : translated(QT_TRANSLATE_NOOP("EditorTexts",
                                               "the keywords are kept as %1, not as strings: left as they are"))
                      .arg(translatedKind(why->keptAs)));
  }
  if (failure.tagsKeptAs) {
    return translated(QT_TRANSLATE_NOOP("EditorTexts", "setxattr error: ")) +
           translated(
               QT_TRANSLATE_NOOP("EditorTexts",
                                 "the tags are kept as %1, not as strings: left as they are"))
               .arg(translatedKind(*failure.tagsKeptAs));
  }
  const char* call = failure.call == Failure::Call::kWrite    ? QT_TRANSLATE_NOOP("EditorTexts", "setxattr error: ")
                     : failure.call == Failure::Call::kRemove ? QT_TRANSLATE_NOOP("EditorTexts", "remxattr error: ")
                                                              : QT_TRANSLATE_NOOP("EditorTexts", "opendir error: ");
  // The system's text stays as the C library gave it, in the language it chose.
  return translated(call) + toQString(makePosixError(failure.error).code().message());
}

QString translatedFailureLine(const ItemFailure& line) {
  const QString failure = translatedFailure(line.failure);
  if (line.item.empty()) return failure;
  return QStringLiteral("%1 \u2014 %2: %3").arg(fromPath(line.item), translatedLabel(line.position), failure);
}

QString translatedMessage(std::string_view message) {
  for (const KnownText& part : kMessageParts) {
    if (message.starts_with(part.english))
      return translated(part.source) + translatedMessage(message.substr(part.english.size()));
  }
  // The system's text, exiv2's reason, a path: as they came.
  return toQString(message);
}

QString translatedLabel(std::size_t position) { return translated(kLabels[position].source); }

QString translatedPlaceholder(std::string_view text, TextField::Hint hint) {
  switch (hint) {
    case TextField::Hint::kStoredKind:
      return translatedKind(text);
    case TextField::Hint::kInImage: {
      if (!text.starts_with(kImageHint)) break;
      const std::string_view image = text.substr(kImageHint.size());
      return translated(QT_TRANSLATE_NOOP("EditorTexts", "In the image: %1"))
          .arg(image == kMultipleValues ? translatedPlaceholder(image, TextField::Hint::kMultiple)
                                        : toQString(image));
    }
    case TextField::Hint::kMultiple:
      if (text == kMultipleValues) return translated(QT_TRANSLATE_NOOP("EditorTexts", "Multiple values"));
      break;
    case TextField::Hint::kStoredValue:
      break;
  }
  return toQString(text);
}

}  // namespace quillmark
