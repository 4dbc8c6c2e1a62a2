#include "console/records.h"

#include "console/text.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <random>
#include <thread>

#include "tests/support/headless_fixture.h"

namespace tutor {
namespace {

using testing::files_in;
using testing::HeadlessTest;
using RecordFiles = HeadlessTest;

const std::vector<std::string> kFiveRecords = {"KIGO.TXT", "RANK.TXT", "SFT.TXT", "SUU.TXT",
                                               "step.TXT"};

TEST_F(RecordFiles, ReplaceWritesOneLineAndReadsBackTheSame) {
  ASSERT_TRUE(con_.replace_record("././M0/data/step.TXT", "2"));
  EXPECT_EQ(record("step.TXT"), "2\n");
  EXPECT_EQ(con_.read_record("././M0/data/step.TXT"), "2");
  ASSERT_TRUE(con_.replace_record("././M0/data/SUU.TXT", "クリアー"));
  EXPECT_EQ(con_.read_record("././M0/data/SUU.TXT"), "クリアー");
  remove_record("KIGO.TXT");
  ASSERT_TRUE(con_.replace_record("././M0/data/KIGO.TXT", "クリアー"));
  EXPECT_EQ(record("KIGO.TXT"), "クリアー\n");
  EXPECT_EQ(files_in(root_ / "M0/data"), kFiveRecords);  // nothing left beside them
}

TEST_F(RecordFiles, AFailedWriteReplacesNothingAndLeavesNothingBehind) {
  {
    testing::FullDisk full;
    EXPECT_FALSE(con_.replace_record("././M0/data/RANK.TXT", "9"));
  }
  EXPECT_EQ(record("RANK.TXT"), "1\n");
  // Several records together: the third cannot be written, so none is replaced.
  const std::array<Console::RecordLine, 3> three = {{{"././M0/data/step.TXT", "4"},
                                                     {"././M0/data/RANK.TXT", "9"},
                                                     {"././M0/nowhere/SFT.TXT", "80"}}};
  EXPECT_FALSE(con_.replace_records(three));
  EXPECT_EQ(record("step.TXT"), "1\n");
  EXPECT_EQ(record("RANK.TXT"), "1\n");
  EXPECT_EQ(files_in(root_ / "M0/data"), kFiveRecords);
}

TEST_F(RecordFiles, MissingAndUnreadableAreDifferentAnswers) {
  const auto sft = root_ / "M0/data/SFT.TXT";
  remove_record("SFT.TXT");
  EXPECT_EQ(read_record_file(sft).status, RecordRead::Status::Missing);
  EXPECT_EQ(con_.read_record("././M0/data/SFT.TXT"), std::nullopt);
  ASSERT_EQ(::mkfifo(sft.c_str(), 0644), 0);  // a FIFO is not waited on
  EXPECT_EQ(read_record_file(sft).status, RecordRead::Status::Unreadable);
  std::filesystem::remove(sft);
  std::filesystem::create_directory(sft);  // a folder in its place
  EXPECT_EQ(read_record_file(sft).status, RecordRead::Status::Unreadable);
  EXPECT_EQ(con_.read_record_if_readable("././M0/data/SFT.TXT"), std::nullopt);
  const Outcome o = run([](Console& c) { (void)c.read_record("././M0/data/SFT.TXT"); });
  ASSERT_TRUE(std::holds_alternative<FatalErrorShown>(o));
  EXPECT_NE(std::get<FatalErrorShown>(o).text.find("記録ファイルを読めません: "),
            std::string::npos);
  // A path too long for the box keeps its end, the file's name.
  const std::string cut =
      failure_line("記録ファイルを読めません", "/" + std::string(80, 'x') + "/SFT.TXT");
  EXPECT_EQ(display_width(cut), 56);
  EXPECT_EQ(cut.substr(cut.size() - 11), "xxx/SFT.TXT");
  if (::geteuid() != 0) {
    ::chmod((root_ / "M0/data/RANK.TXT").c_str(), 0);
    EXPECT_EQ(read_record_file(root_ / "M0/data/RANK.TXT").status, RecordRead::Status::Unreadable);
  }
  write_record("step.TXT", "");
  EXPECT_EQ(con_.read_record("././M0/data/step.TXT"), "");
  write_record("step.TXT", "3\r\nrest");
  EXPECT_EQ(con_.read_record("././M0/data/step.TXT"), "3");
}

// A record of many kilobytes (the word course's passes of a learner with a
// hundred own lessons) reads whole, to its last character, and written back
// with one more entry keeps every one; a line past any record's length is
// unreadable, never cut short.
TEST_F(RecordFiles, ALongRecordReadsWholeAndOneTooLongIsUnreadable) {
  std::string passes;
  for (int n = 0; n < 300; ++n) {
    passes += (n == 0 ? "" : "/") + std::string("自分のレッスン") + std::to_string(n) + ".txt";
  }
  ASSERT_GT(passes.size(), 2u * 4096);
  write_record("KOTOBA.TXT", passes + "\n");
  const std::optional<std::string> read = con_.read_record("././M0/data/KOTOBA.TXT");
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, passes);
  ASSERT_TRUE(con_.replace_record("././M0/data/KOTOBA.TXT", *read + "/もう一つ.txt"));
  EXPECT_EQ(record("KOTOBA.TXT"), passes + "/もう一つ.txt\n");

  write_record("KOTOBA.TXT", std::string((1 << 20) + 1, 'x'));
  EXPECT_EQ(read_record_file(root_ / "M0/data/KOTOBA.TXT").status, RecordRead::Status::Unreadable);
  write_record("KOTOBA.TXT", std::string(1 << 20, 'x'));
  EXPECT_EQ(read_record_file(root_ / "M0/data/KOTOBA.TXT").line.size(), 1u << 20);
}

// Runs `body` in a child process; its pid.
template <typename Body>
pid_t in_child(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  return pid;
}

TEST_F(RecordFiles, TwoWritersOfOneRecordNeverMixAndReadersSeeWholeLines) {
  const auto file = root_ / "M0/data/SFT.TXT";
  constexpr int kWrites = 1500;
  in_child([&] {
    for (int i = 0; i < kWrites; ++i) {
      (void)replace_record_file(file, "123.4");
    }
  });
  in_child([&] {
    for (int i = 0; i < kWrites; ++i) {
      (void)replace_record_file(file, "5");
    }
  });
  int reads = 0;
  int done = 0;
  while (done < 2) {
    const RecordRead r = read_record_file(file);
    ASSERT_EQ(r.status, RecordRead::Status::Read);
    ASSERT_TRUE(r.line == "0" || r.line == "123.4" || r.line == "5") << r.line;
    ++reads;
    int status = 0;
    while (::waitpid(-1, &status, WNOHANG) > 0) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      ++done;
    }
  }
  EXPECT_GT(reads, 0);
  const std::string last = record("SFT.TXT");
  EXPECT_TRUE(last == "123.4\n" || last == "5\n") << last;
  EXPECT_EQ(files_in(root_ / "M0/data"), kFiveRecords);
}

TEST_F(RecordFiles, AWriterKilledAtAnyMomentLeavesEveryRecordWhole) {
  const std::array<std::string_view, 5> names = {"step.TXT", "RANK.TXT", "SUU.TXT", "KIGO.TXT",
                                                 "SFT.TXT"};
  const std::array<std::array<std::string_view, 5>, 2> values = {
      {{"1", "1", "未 達 成", "未 達 成", "0"}, {"6", "67", "クリアー", "クリアー", "1234.5"}}};
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const pid_t writer = in_child([&] {
      for (int i = 0;; ++i) {
        std::array<RecordWrite, 5> writes;
        for (size_t f = 0; f < names.size(); ++f) {
          writes[f] = {root_ / "M0/data" / names[f], values[static_cast<size_t>(i % 2)][f]};
        }
        (void)replace_record_files(writes);
      }
    });
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 4000));
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    for (size_t f = 0; f < names.size(); ++f) {
      const std::string stored = record(names[f]);
      ASSERT_TRUE(stored == std::string(values[0][f]) + "\n" ||
                  stored == std::string(values[1][f]) + "\n")
          << "round " << round << ": " << names[f] << " holds " << stored;
    }
  }
}

TEST(RecordNumbers, ParseOnlyWholeTextsAsNumbers) {
  EXPECT_EQ(parse_whole_number(" 2 "), 2);
  EXPECT_EQ(parse_whole_number("-1"), -1);
  EXPECT_EQ(parse_whole_number("2x"), std::nullopt);
  EXPECT_EQ(parse_whole_number("2.5"), std::nullopt);
  EXPECT_EQ(parse_whole_number(""), std::nullopt);
  EXPECT_EQ(parse_whole_number("99999999999999"), std::nullopt);
  EXPECT_EQ(parse_number("91.2"), 91.2f);
  EXPECT_EQ(parse_number("nan"), std::nullopt);
  EXPECT_EQ(parse_number("未 達 成"), std::nullopt);
}

TEST(RecordNumbers, WrittenNumbersReadBackUnchanged) {
  for (float v : {0.0f, 2.0f, 91.2f, 380.0f / (4.0f + 10.0f / 60.0f), 1234.5678f, -2.0f}) {
    EXPECT_EQ(parse_number(number_text(v)), v) << number_text(v);
  }
  EXPECT_EQ(number_text(2.0f), "2");
  EXPECT_EQ(number_text(91.2f), "91.2");
}

}  // namespace
}  // namespace tutor
