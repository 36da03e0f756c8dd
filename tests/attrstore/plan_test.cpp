// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The edit plan as a table: an item's attribute names and raw values, the
// edits, and every write, removal and refusal decided, without a filesystem.
#include "attrstore/plan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "attrstore/codec.h"
#include "attrstore/names.h"

namespace quillmark {
namespace {

using Kind = SidecarState::Kind;
const Data kList = encodeAttributeValue("H"), kNul = inForm(kList, true);
const Data kOld = encodeAttributeValue("old"), kOldNul = inForm(kOld, true);
const Data kQuarantined = [] {  // a quarantine mark as netatalk keeps it, with its 0x00
  constexpr std::string_view kMark("0083;1;x\0", 9);
  return Data(kMark.begin(), kMark.end());
}();
Data kContinued = [] { Data bytes = kList; bytes.push_back(1); return bytes; }();  // rest elsewhere

// Each step as its place and value's initial ("user.H"), "+0" for the 0x00 form, "-" a removal;
// then the sidecar's changes and the errors.
std::string describe(const Plan& plan) {
  const auto initial = [](std::size_t p) { return std::string(kValueNames[p].label.substr(0, 1)); };
  std::string out;
  for (const AttributeStep& step : plan.steps) {
    out += std::string(kPlaces[static_cast<std::size_t>(step.place)].label) + initial(step.position) +
           (step.remove ? "-" : step.bytes == kNul ? "+0" : "") + " ";
  }
  for (std::size_t p = 0; p < 5; ++p) {
    if (plan.sidecar[p] != ValueEdit::Action::kKeep)
      out += "sidecar" + initial(p) + (plan.sidecar[p] == ValueEdit::Action::kRemove ? "- " : " ");
    if (plan.errors[p] != 0) out += initial(p) + "=" + strerrorname_np(plan.errors[p]) + " ";
  }
  return out;
}

struct Row {
  const char* item;  // attribute names, '|' apart; "!ENOENT" a failed listing, "!EOPNOTSUPP" none kept
  std::map<std::string, Data> raw;
  const char* edits;  // per list position (C, C, D, H, K): '.' keep, 'w' write, 'r' remove, 'e' no bytes,
                      // 'b' more bytes than a reader takes back
  const char* expected;
  Kind sidecar = Kind::kAbsent;  // when parsed, it holds Keywords; unreadable: EACCES
  Volume volume = Volume::kOrdinary;
  bool attributesRefused = false;
};

Plan planFor(const Row& row) {
  PlanInput input{{}, row.volume, {}, {}, row.attributesRefused,
                  SidecarState{row.sidecar, EACCES, {0, 0, 0, 0, 1}}};
  std::string names = row.item;
  input.listing.error = names == "!ENOENT" ? ENOENT : names == "!EOPNOTSUPP" ? EOPNOTSUPP : 0;
  input.listing.unsupported = input.listing.error == EOPNOTSUPP;
  std::replace(names.begin(), names.end(), '|', '\0');
  if (input.listing.error == 0) input.listing = readListing(names + '\0');
  ValueEdits edits;
  for (std::size_t p = 0; p < 5; ++p) {
    static const Data kNone, kHuge(kValueLimit + 1, 'a');
    edits[p] = {std::string_view("web").find(row.edits[p]) != std::string_view::npos ? ValueEdit::Action::kWrite
                : row.edits[p] == 'r' ? ValueEdit::Action::kRemove
                                      : ValueEdit::Action::kKeep,
                row.edits[p] == 'e' ? &kNone : row.edits[p] == 'b' ? &kHuge : &kList};
  }
  // Every byte the item holds; which of them the store reads is its own test's (the call counts).
  for (std::size_t p = 0; p < 5; ++p) {
    for (std::size_t i = 0; i < kAttributePlaces; ++i) {
      const auto raw = row.raw.find(attributeName(p, kPlaces[i].place));
      if (raw != row.raw.end()) input.raw[p][i] = RawRead{0, raw->second};
    }
  }
  for (const std::string& other : input.listing.otherAppleValues)
    input.otherValues.push_back(RawRead{0, row.raw.at("user." + other)});
  return planEdits(input, edits);
}

TEST(Plan, DecidesEveryPlaceInItsOwnFormOrRefusesTheWholeEdit) {
  const std::string userH = kValueNames[3].user, userK = kValueNames[4].user;
  const std::string streamK = kValueNames[4].sambaColonStream, both = userK + "|" + streamK;
  const std::string quarantine = "user.com.apple.quarantine", quarantineK = quarantine + "|" + userK;
  const Row rows[] = {
      // A value is rewritten where it is, in the form found there; a new one goes to user.
      {userH.c_str(), {{userH, kOldNul}}, "w..w.", "user.C+0 user.H+0 "},
      {userH.c_str(), {{userH, kOld}}, "...w.", "user.H "},
      // ... unless it holds those very bytes already.
      {userH.c_str(), {{userH, kNul}}, "...w.", ""},
      // ... in netatalk's form where every other user.com.apple.* value has it.
      {quarantine.c_str(), {{quarantine, kQuarantined}}, "...w.", "user.H+0 "},
      {quarantineK.c_str(), {{quarantine, kQuarantined}, {userK, kList}}, "...w.",
       "user.H "},
      // Samba: also as a stream, named as the item's other streams are.
      {"user.DOSATTRIB", {}, "...w.", "user.H streamH+0 "},
      {streamK.c_str(), {{streamK, kNul}}, "...wr", "user.H colon streamH+0 colon streamK- "},
      {"", {}, "...w.", "osx.H ", Kind::kAbsent, Volume::kMacDisk},
      // No attributes kept (exfat-fuse fails the listing; the kernel's drivers list none, then
      // refuse a read): the sidecar alone, decided before anything is written.
      {"!EOPNOTSUPP", {}, "...wr", "sidecarH sidecarK- ", Kind::kParsed},
      {"", {}, "...w.", "sidecarH ", Kind::kAbsent, Volume::kOrdinary, true},
      // A removal of a value nowhere fails alone, as does a text with no stored form (no bytes)
      // and one no reader would take back, even in a sidecar; a failed listing fails every change.
      {"", {}, "r..w.", "user.H C=ENODATA "},
      {"", {}, "e..w.", "user.H C=EINVAL "},
      {"!EOPNOTSUPP", {}, "b..w.", "C=E2BIG sidecarH ", Kind::kParsed},
      {"!ENOENT", {}, "r..w.", "C=ENOENT H=ENOENT "},
      // Refused: a continued stream, a sidecar that does not parse (even for a removal), or
      // another file by its name where the sidecar must be written. Then nothing is written.
      {both.c_str(), {{streamK, kContinued}, {userK, kList}}, "...ww",
       "H=ECANCELED K=EINVAL "},
      {"", {}, "...wr", "H=EINVAL K=EINVAL ", Kind::kUnparsable},
      {userH.c_str(), {{userH, kList}}, "...wr", "H=ECANCELED K=EINVAL ", Kind::kUnparsable},
      {"!EOPNOTSUPP", {}, "...w.", "H=EINVAL ", Kind::kOtherFile},
      {"", {}, "...w.", "H=EACCES ", Kind::kUnreadable},
  };
  for (const Row& row : rows) EXPECT_EQ(describe(planFor(row)), row.expected) << row.item << row.edits;
}

// netatalk's 0x00 is told from a binary list's own last byte, and from Finder info's.
TEST(Plan, TellsNetatalksNulFromALastByteThatIsZeroAnyway) {
  Data endsInZero = encodeAttributeValue(std::string(245, 'a'));  // offset table at 0x100
  ASSERT_EQ(endsInZero.back(), 0);
  EXPECT_FALSE(understand(Place::kUser, endsInZero).trailingNul);
  EXPECT_TRUE(understand(Place::kUser, inForm(endsInZero, true)).trailingNul);
  EXPECT_FALSE(carriesNetatalkNul("com.apple.FinderInfo", Data(32, 0)));
}

}  // namespace
}  // namespace quillmark
