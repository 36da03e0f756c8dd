// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The window in the user's language: Quillmark's own texts, Qt's dialog texts
// (qtbase) and the editor's fixed English texts, all in the first of the
// desktop's languages (LANGUAGE, then LC_ALL, LC_MESSAGES, LANG) that
// Quillmark has, English otherwise.
//
// The editor and the command line speak English only, so the editor's fixed
// texts and message prefixes are translated here, as the window shows them;
// whatever follows a known prefix (the system's error text, exiv2's reason, a
// file name) is shown as it came. Any text this does not know passes
// unchanged: nothing the editor reports is ever lost to translation.
#ifndef QUILLMARK_APP_TRANSLATIONS_H_
#define QUILLMARK_APP_TRANSLATIONS_H_

#include <QString>
#include <cstddef>
#include <string_view>

#include "editor/controls.h"

namespace quillmark {

// Installs the translators on the running application; call once, after it is made.
void installTranslations();

// A message of the editor's (kImageUnreadable and its reason, say) in the user's language; the
// system's text, a path or anything else as it came.
QString translatedMessage(std::string_view message);

// An alert's details, line by line, each a message as above.
QString translatedAlert(std::string_view details);

// A value not stored: the failed call ("setxattr error: ") and the system's text, or the reason a
// desktop tag was left out; with its item and field where it names one ("/p/a.jpg — Headline: ").
QString translatedFailure(const Failure& failure);
QString translatedFailureLine(const ItemFailure& line);

// A field's greyed text for `hint` in the user's language.
QString translatedPlaceholder(std::string_view text, TextField::Hint hint);

// The label of the value at list position `position` ("Headline", "Tags") in the user's language.
QString translatedLabel(std::size_t position);

}  // namespace quillmark

#endif  // QUILLMARK_APP_TRANSLATIONS_H_
