#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "console/compositor.h"
#include "console/png.h"
#include "console/text.h"
#include "console/ttf_glyphs.h"
#include "history/history.h"
#include "lessonkit/keyboard.h"
#include "spelling/kana_line.h"
#include "tests/words/kotoba_fixture.h"
#include "words/fingers.h"
#include "words/lessons.h"
#include "words/material.h"
#include "words/menu_layout.h"
#include "words/preferences.h"
#include "words/word_course.h"

namespace tutor::words {
namespace {

using tutor::testing::centre_of;
using tutor::testing::started;

int key_of(char32_t key_kana) {
  return lessonkit::key_at(spelling::stroke_typing(key_kana)->place);
}

class KanaInputTest : public KotobaTest {
 protected:
  // Strikes the keys of kana input that type a reading.
  void type_kana(std::string_view reading) {
    for (const char32_t k : spelling::KanaLine(reading).rest()) {
      const auto stroke = spelling::stroke_typing(k);
      script().placed_key(stroke->place, stroke->shift);
    }
  }
  [[nodiscard]] std::u32string labels_of(int k) const {
    std::u32string out;
    const PixelRect key = lessonkit::key(k).rect.to_pixels();
    for (const Label& l : con_.screen().labels.labels()) {
      if (key.contains({l.box.x1, l.box.y1}) && key.contains({l.box.x2, l.box.y2})) {
        out += l.ch;
      }
    }
    return out;
  }
};

// A teacher's lesson in kana input: judged by the keys' places, voiced kana
// as two keystrokes, small kana and 。 with the other hand's Shift lit, a
// wrong key marked and counted, kept in the history as kana input.
TEST_F(KanaInputTest, ALessonIsTypedByKeyPlacesAndKeptAsKanaInput) {
  const auto file = own_lesson("学校.txt", "学校\tがっこう\nパン。\n");
  const int ka = key_of(U'か'), tsu = key_of(U'っ'), su = key_of(U'す');
  script().key("x").inspect([&] {
    EXPECT_TRUE(backend_.reading_keys_by_place());
    EXPECT_NE(row(kGuideRow).find("がっこう"), std::string::npos) << row(kGuideRow);
    EXPECT_EQ(key_face(ka), kFingers.colour[static_cast<std::size_t>(ka)].index());
    EXPECT_EQ(labels_of(ka), U"か");
    EXPECT_EQ(labels_of(tsu), U"つっ");
    EXPECT_NE(row(kStandInCell.row).find("Shift+｀"), std::string::npos);
  });
  script().key("k").placed_key({'D', 4}).inspect([&] {  // a character, then す for か
    EXPECT_EQ(key_face(su), kRed.index());
    EXPECT_EQ(key_face(ka), kFingers.colour[static_cast<std::size_t>(ka)].index());
  });
  script().placed_key({'D', 5}).placed_key({'D', 11}).inspect([&] {
    EXPECT_NE(row(kGuideRow).find("がっこう"), std::string::npos);
    EXPECT_NE(row(kReadingRow).find("がっこう"), std::string::npos);
    EXPECT_EQ(key_face(tsu), kFingers.colour[static_cast<std::size_t>(tsu)].index());
    EXPECT_EQ(key_face(lessonkit::kRightShift), kPink.index());  // つ is a left-hand key
    EXPECT_EQ(key_face(su), kCream.index());
  });
  script().placed_key({'B', 1});  // つ without Shift is wrong
  type_kana("っこう");
  script().inspect([&] { EXPECT_NE(row(kGuideRow).find("ぱん。"), std::string::npos); });
  type_kana("パン。");
  script().inspect([&] {
    EXPECT_FALSE(backend_.reading_keys_by_place());
    EXPECT_NE(row(12).find("1分間に打ったかな"), std::string::npos);
  });
  script().enter();
  EXPECT_EQ(started(run_course(lesson_options(file, true))), "./Velmora.exe");
  const auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(std::tie(kept[0].lesson, kept[0].input, kept[0].right, kept[0].wrong),
            std::tuple("学校.txt", "kana", 9, 2));
  EXPECT_EQ(kept[0].result, "pass");
  EXPECT_EQ(record("KOTOBA.TXT"), "kf:学校.txt\n");  // passed in kana input only
}

// The menu's input choice: Tab or a click switches it, it is kept for the
// next start, and its lessons are then typed on the kana keyboard.
TEST_F(KanaInputTest, TheMenusInputChoiceIsKept) {
  script().inspect([&] { EXPECT_EQ(text(kInputCell, 32), kRomajiInputLabel); });
  script().key(keys::kTab).inspect([&] {
    EXPECT_EQ(text(kInputCell, 32), tutor::testing::as_shown(kKanaInputLabel));
  });
  script().click(centre_of(kInputBox)).inspect([&] {
    EXPECT_EQ(text(kInputCell, 32), kRomajiInputLabel);
  });
  script().key(keys::kTab).key(keys::kEscape);
  EXPECT_EQ(started(run_course()), "./Velmora.exe");

  script().inspect(
      [&] { EXPECT_EQ(text(kInputCell, 32), tutor::testing::as_shown(kKanaInputLabel)); });
  script().enter().key("x").inspect([&] {
    EXPECT_TRUE(backend_.reading_keys_by_place());
    EXPECT_EQ(labels_of(key_of(U'あ')), U"あぁ");
    EXPECT_EQ(text(lessonkit::key(key_of(U'あ')).legend_cell.value(), 2), "  ");
  });
  type_kana(kLessons[0].items[0].reading);
  script().inspect([&] { EXPECT_NE(row(22).find("あと  17 問"), std::string::npos) << row(22); });
  EXPECT_TRUE(std::holds_alternative<ScriptExhausted>(run_course()));
}

// Kana input types only what its keys type: a line with ゐ, or with marks
// alone, is named and left out, and a lesson left with nothing keeps no
// block of no keystrokes.
TEST_F(KanaInputTest, LinesKanaInputCannotTypeAreLeftOutAndNamed) {
  const auto mixed = own_lesson("井戸.txt", "井戸\tゐど\n雨\tあめ\n！？\n");
  script().inspect([&] {
    const std::string shown = row(4) + row(6) + row(7);
    EXPECT_NE(shown.find("ほかの行で練習します"), std::string::npos) << shown;
    EXPECT_NE(shown.find("「井戸」: 「ゐ」はかな入力では打てません"), std::string::npos) << shown;
    EXPECT_NE(shown.find("「！？」: かな入力で打つ字がありません"), std::string::npos) << shown;
  });
  script().enter().key("x");
  type_kana("あめ");
  script().enter();
  EXPECT_EQ(started(run_course(lesson_options(mixed, true))), "./Velmora.exe");
  auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].right, 2);

  const auto none = own_lesson("ゑ.txt", "ゑ\nヶ\n");
  script().inspect(
      [&] { EXPECT_NE(row(4).find("練習できる行がありません"), std::string::npos) << row(4); });
  script().enter();
  EXPECT_EQ(started(run_course(lesson_options(none, true))), "./Velmora.exe");
  kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  EXPECT_EQ(kept.size(), 1u);
}

// Settings saved by a Windows editor (CR LF) or an old Mac's (CR) read as
// the course wrote them: the input chosen and the spellings chosen.
TEST_F(KanaInputTest, SettingsSavedWithOtherLineEndsReadTheSame) {
  std::filesystem::create_directories(root_ / "config/velmora");
  std::ofstream(root_ / "config/velmora/kotoba.conf", std::ios::binary) << "input=kana\r\n";
  std::ofstream(root_ / "config/velmora/romaji.conf", std::ios::binary)
      << "# chosen\r\nし=shi\r\nち=chi\rつ=tsu";
  EXPECT_EQ(read_course_settings().mode, InputMode::Kana);
  const spelling::Preferences chosen = read_preferences();
  EXPECT_EQ(chosen, (spelling::Preferences{{U"し", "shi"}, {U"ち", "chi"}, {U"つ", "tsu"}}));
  script().inspect(
      [&] { EXPECT_EQ(text(kInputCell, 32), tutor::testing::as_shown(kKanaInputLabel)); });
  EXPECT_TRUE(std::holds_alternative<ScriptExhausted>(run_course()));
}

// The bounding box of the window pixels that differ between two pictures
// inside `area`; nothing where none differ.
std::optional<PixelRect> differing(const Picture& a, const Picture& b, PixelRect area) {
  std::optional<PixelRect> box;
  for (int y = area.y1; y <= area.y2; ++y) {
    for (int x = area.x1; x <= area.x2; ++x) {
      const auto at = static_cast<std::size_t>(y * a.width + x);
      if (a.argb[at] != b.argb[at]) {
        box = box ? PixelRect{std::min(box->x1, x), std::min(box->y1, y), std::max(box->x2, x),
                              std::max(box->y2, y)}
                  : PixelRect{x, y, x, y};
      }
    }
  }
  return box;
}

// The kana on every key, at the window's smallest and a large scale, as
// composed through the real font: each key's kana drawn inside its face, the
// shifted kana apart from the plain one, in a colour that reads on the key,
// lit or not.
TEST(KanaKeyboard, EveryKeysKanaIsDrawnInsideItsFaceApartFromTheOther) {
  HeadlessBackend backend(std::filesystem::temp_directory_path());
  Console con(backend, "Kotoba");
  lessonkit::draw_kana_keyboard(con);
  for (const int k : {key_of(U'か'), key_of(U'つ'), lessonkit::kRightShift}) {
    lessonkit::draw_kana_key(con, k, kFingers.colour[static_cast<std::size_t>(k)]);
  }
  lessonkit::draw_kana_key(con, key_of(U'ね'), kGrey);
  // The same screen without labels, and with the plain kana alone.
  Screen bare = con.screen();
  Screen plain = con.screen();
  bare.labels.clear();
  plain.labels.clear();
  for (int k = 1; k < lessonkit::kSpaceBar; ++k) {
    for (const Label& l : con.screen().labels.labels()) {
      if (l.box == lessonkit::kana_cap(k).kana.to_pixels()) {
        plain.labels.put(l);
      }
    }
  }
  const auto font = find_console_font();
  ASSERT_TRUE(font);
  std::filesystem::create_directories("test-pictures");
  for (const auto& [view, name] :
       {std::pair{Viewport::at_scale(1), "1"}, {Viewport::fitting(1440, 1012), "2.25"}}) {
    auto glyphs = TtfGlyphs::open(*font, view.font_pixels());
    Picture all, without, plain_only;
    compose(con.screen(), view, glyphs.get(), all);
    compose(bare, view, glyphs.get(), without);
    compose(plain, view, glyphs.get(), plain_only);
    EXPECT_TRUE(write_png(all, "test-pictures/KanaKeyboard.scale" + std::string(name) + ".png"));
    for (int k = 1; k < lessonkit::kSpaceBar; ++k) {
      const Rect rect = lessonkit::key(k).rect;
      const PixelRect key = view.window_area(rect.to_pixels());
      const PixelRect face = view.window_area(rect.grown(-1).to_pixels());
      const auto kana = differing(plain_only, without, key);
      const auto shifted = differing(all, plain_only, key);
      ASSERT_TRUE(kana) << "no kana on key " << k << " at scale " << name;
      for (const auto& ink : {kana, shifted}) {
        EXPECT_TRUE(!ink ||
                    (face.contains({ink->x1, ink->y1}) && face.contains({ink->x2, ink->y2})))
            << "key " << k << " at scale " << name;
      }
      EXPECT_EQ(shifted.has_value(), lessonkit::kana_cap(k).shifted != Rect{}) << "key " << k;
      if (shifted) {
        EXPECT_TRUE(kana->x2 < shifted->x1 || shifted->y2 < kana->y1)
            << "key " << k << "'s kana touch at scale " << name;
      }
    }
  }
  for (const Label& l : con.screen().labels.labels()) {
    EXPECT_EQ(l.colour, text_on(con.screen().graphics.at({l.box.x1, l.box.y1})));
  }
}

}  // namespace
}  // namespace tutor::words
