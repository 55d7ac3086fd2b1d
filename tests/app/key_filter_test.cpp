#include "app/key_filter.h"

#include <gtest/gtest.h>

#include "form_fixture.h"

namespace vorn::testing {
namespace {

struct KeyCase {
  const char* control;
  char32_t key;
  KeyVerdict expected;
};

const KeyVerdict kPass{};
const KeyVerdict kSwallow{KeyAction::Swallow, {}};
KeyVerdict FocusTo(const char* control) { return {KeyAction::Focus, control}; }

class KeyFilterCases : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyFilterCases, GiveTheTablesVerdict) {
  const KeyCase c = GetParam();
  EXPECT_EQ(FilterKey(c.control, c.key), c.expected)
      << c.control << " key " << static_cast<int>(c.key);
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyFilterCases,
    ::testing::Values(
        // Latitude degrees and minutes: digits only, Enter moves on.
        KeyCase{"Edit3", U'7', kPass}, KeyCase{"Edit3", U'a', kSwallow},
        KeyCase{"Edit3", U'.', kSwallow}, KeyCase{"Edit3", U'-', kSwallow},
        KeyCase{"Edit3", kKeyBackspace, kPass}, KeyCase{"Edit3", kKeyEnter, FocusTo("Edit5")},
        KeyCase{"Edit5", kKeyEnter, FocusTo("Edit23")}, KeyCase{"Edit5", U'.', kSwallow},
        // True north: signed decimals.
        KeyCase{"Edit12", U'-', kPass}, KeyCase{"Edit12", U'.', kPass},
        KeyCase{"Edit12", U'e', kSwallow}, KeyCase{"Edit12", kKeyEnter, FocusTo("Edit2")},
        // Hours: unsigned decimals, Enter along the row.
        KeyCase{"Edit2", U'.', kPass}, KeyCase{"Edit2", U'-', kSwallow},
        KeyCase{"Edit2", kKeyEnter, FocusTo("Edit7")},
        KeyCase{"Edit7", kKeyEnter, FocusTo("Edit11")},
        KeyCase{"Edit11", kKeyEnter, FocusTo("Edit4")},
        // Unsigned decimals that keep the focus.
        KeyCase{"Edit4", U'.', kPass}, KeyCase{"Edit4", U'-', kSwallow},
        KeyCase{"Edit4", kKeyEnter, kSwallow}, KeyCase{"Edit6", U'5', kPass},
        KeyCase{"Edit19", U'x', kSwallow}, KeyCase{"Edit18", U'.', kPass},
        KeyCase{"Edit20", U'.', kPass}, KeyCase{"Edit22", kKeyEnter, kSwallow},
        // Signed decimals that keep the focus.
        KeyCase{"Edit17", U'-', kPass}, KeyCase{"Edit17", kKeyEnter, kSwallow},
        KeyCase{"Edit26", U'-', kPass},
        // Whole numbers.
        KeyCase{"Edit15", U'.', kSwallow}, KeyCase{"Edit13", U'3', kPass},
        KeyCase{"Edit21", U'-', kSwallow}, KeyCase{"Edit24", kKeyEnter, kSwallow},
        KeyCase{"Edit25", U'9', kPass},
        // The window itself.
        KeyCase{"Form1", U'.', kPass}, KeyCase{"Form1", U'q', kSwallow},
        // Full-width digits and other characters are not digits.
        KeyCase{"Edit4", U'５', kSwallow}, KeyCase{"Edit4", U' ', kSwallow},
        // Boxes without a filter.
        KeyCase{"Edit23", U'a', kPass}, KeyCase{"Edit8", U'a', kPass},
        KeyCase{"Edit40", U'a', kPass}, KeyCase{"Edit41", kKeyEnter, kPass},
        KeyCase{"Edit10", U'a', kPass}, KeyCase{"Edit27", U'_', kPass}));

TEST_F(FormTest, EnterWalksThroughTheLatitudeBoxes) {
  auto f = StartForm();
  f->ActiveControl = "Edit3";
  EXPECT_FALSE(f->KeyPress("Edit3", 'x'));  // letters do not appear
  EXPECT_TRUE(f->KeyPress("Edit3", '3'));
  EXPECT_FALSE(f->KeyPress("Edit3", kKeyEnter));
  EXPECT_EQ(f->ActiveControl, "Edit5");
  EXPECT_FALSE(f->KeyPress("Edit5", kKeyEnter));
  EXPECT_EQ(f->ActiveControl, "Edit23");
  EXPECT_FALSE(f->KeyPress("Edit4", kKeyEnter));
  EXPECT_EQ(f->ActiveControl, "Edit23");  // Edit4 keeps the focus it has
}

}  // namespace
}  // namespace vorn::testing
