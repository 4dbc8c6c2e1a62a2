#include "classweb/record_merge.h"

#include <gtest/gtest.h>

namespace tutor::classweb {
namespace {

TEST(RecordMerge, TheBetterOfTwoRecordsWinsWhicheverCameLast) {
  // step, RANK and SFT: the higher number, a fraction too; a line that is no
  // number loses to one that is.
  EXPECT_EQ(joined("M0/data/step.TXT", "4\n", "2\n"), "4\n");
  EXPECT_EQ(joined("M0/data/step.TXT", "2\n", "4\n"), "4\n");
  EXPECT_EQ(joined("M0/data/RANK.TXT", "12\r\n", "9\r\n"), "12\r\n");
  EXPECT_EQ(joined("M0/data/SFT.TXT", "182.5\n", "182.25\n"), "182.5\n");
  EXPECT_EQ(joined("M0/data/SFT.TXT", "garbled", "90\n"), "90\n");
  EXPECT_EQ(joined("M0/data/SFT.TXT", "90\n", ""), "90\n");
  // A course completed on either computer stays completed.
  EXPECT_EQ(joined("M0/data/SUU.TXT", "クリアー\n", "未 達 成\n"), "クリアー\n");
  EXPECT_EQ(joined("M0/data/KIGO.TXT", "未 達 成\n", "クリアー\n"), "クリアー\n");
}

TEST(RecordMerge, LessonsPassedOnEitherComputerAreAllKept) {
  EXPECT_EQ(joined("M0/data/KOTOBA.TXT", "1 3 kl3\n", "2 3 f:町.txt\n"), "1 2 3 f:町.txt kl3\n");
  EXPECT_EQ(joined("M0/data/KOTOBA.TXT", "", "k4\n"), "k4\n");
  // Settings and own lessons: as last sent.
  EXPECT_EQ(joined("config/velmora/kotoba.conf", "input=kana\n", "input=romaji\n"),
            "input=romaji\n");
  EXPECT_EQ(joined("M0/lessons/町.txt", "古い\n", "新しい\n"), "新しい\n");
}

TEST(RecordMerge, OnlyTheLearnersOwnFilesAreKept) {
  for (const char* kept : {"M0/data/step.TXT", "M0/data/KOTOBA.TXT", "config/velmora/romaji.conf",
                           "M0/lessons/町.txt", "M0/lessons/SCHOOL.TXT"}) {
    EXPECT_TRUE(follows_learner(kept)) << kept;
  }
  for (const char* refused :
       {"M0/data/progress.sqlite3", "M0/data/class.conf", "config/velmora/window.conf",
        "M0/lessons/../data/step.TXT", "M0/lessons/.hidden.txt", "M0/lessons/sub/a.txt",
        "M0/lessons/a.exe", "/etc/passwd", "M0/data/step.TXT/x", ""}) {
    EXPECT_FALSE(follows_learner(refused)) << refused;
  }
  EXPECT_FALSE(follows_learner("M0/lessons/" + std::string(121, 'a') + ".txt"));
}

}  // namespace
}  // namespace tutor::classweb
