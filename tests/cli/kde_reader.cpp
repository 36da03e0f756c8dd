// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What KDE's file-metadata library (the one Dolphin and Baloo use) reads from
// an item's desktop attributes, printed as "tags: a|b" and "comment: text".
#include <KFileMetaData/UserMetaData>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const KFileMetaData::UserMetaData data(QString::fromLocal8Bit(argv[1]));
  std::printf("tags: %s\ncomment: %s\n", data.tags().join(QLatin1Char('|')).toUtf8().constData(),
              data.userComment().toUtf8().constData());
}
