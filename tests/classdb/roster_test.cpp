#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/classdb/class_fixture.h"

namespace tutor::classdb {
namespace {

namespace fs = std::filesystem;
using testing::Ran;

// The same three learners, as Excel saves them: in UTF-8 with its
// byte-order mark and CRLF, the columns in another order beside one more,
// a blank line; and in CP932, with 髙, which plain Shift_JIS lacks.
constexpr std::string_view kUtf8Roster =
    "\xEF\xBB\xBFログイン名,出席番号,ふりがな,氏名\r\n"
    "jiro,2,じろう,\"鈴木, 次郎\"\r\n"
    "\r\n"
    "hanae,1,はなえ,\"<b>&\"\"花\"\"</b>\"\r\n"
    "takashi,１２,たかし,髙橋　隆\r\n";
constexpr std::string_view kCp932Roster =
    "\x8Fo\x90\xC8\x94\xD4\x8D\x86,\x8E\x81\x96\xBC,\x83\x8D\x83O\x83"
    "C\x83\x93\x96\xBC\n"
    "2,\"\x97\xE9\x96\xD8, \x8E\x9F\x98Y\",jiro\n"
    "1,\"<b>&\"\"\x89\xD4\"\"</b>\",hanae\n"
    "12,\xFB\xFC\x8B\xB4\x81@\x97\xB2,takashi\n";
// 氏名 as the cards show it, in the order of 出席番号.
const std::vector<std::string> kNamesShown = {"&lt;b&gt;&amp;&quot;花&quot;&lt;/b&gt;",
                                              "鈴木, 次郎", "髙橋　隆"};

// A card of the page, as its markup shows it.
struct Card {
  std::string class_name;
  std::string number;
  std::string name;
  std::string login;
  std::string password;  // the characters, without the marks the style adds
  std::string address;
};

std::string first_match(const std::string& text, const std::string& pattern) {
  std::smatch m;
  return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : "";
}

std::vector<Card> cards_of(const std::string& page) {
  std::vector<Card> cards;
  const std::regex section("<section class=\"card\">([\\s\\S]*?)</section>");
  for (auto s = std::sregex_iterator(page.begin(), page.end(), section);
       s != std::sregex_iterator(); ++s) {
    const std::string card = (*s)[1].str();
    std::string password;
    const std::regex character("<kbd class=\"(?:capital|small|digit)\">(.)</kbd>");
    const std::string in_password =
        first_match(card, "<dt>パスワード[\\s\\S]*?</dt><dd[^>]*>(.*?)</dd>");
    for (auto c = std::sregex_iterator(in_password.begin(), in_password.end(), character);
         c != std::sregex_iterator(); ++c) {
      password += (*c)[1].str();
    }
    cards.push_back({first_match(card, "クラス <b>([^<]*)</b>"),
                     first_match(card, "出席番号 <b>([^<]*)</b>"),
                     first_match(card, "<p class=\"full-name\">([^<]*) さん</p>"),
                     first_match(card, "<dt>なまえ</dt><dd[^>]*>([^<]*)</dd>"), password,
                     first_match(card, "<dt>ひらくページ</dt><dd[^>]*>([^<]*)</dd>")});
  }
  return cards;
}

std::string read_file(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

class RosterTest : public ClassServerTest {
 protected:
  [[nodiscard]] static Ran velmora_class(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {VELMORA_CLASS};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing::run_command(argv);
  }

  [[nodiscard]] std::string roster(std::string_view name, std::string_view bytes) const {
    const fs::path file = cluster_.folder() / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

  [[nodiscard]] std::string role_in(std::string_view class_name, std::string_view learner) const {
    std::string role =
        everything("SELECT role FROM learners WHERE class = '" + std::string(class_name) +
                   "' AND name = '" + std::string(learner) + "'");
    return role.empty() ? role : role.substr(0, role.size() - 1);
  }

  // Whether the card's password logs its learner in, seen by the server as itself.
  [[nodiscard]] bool logs_in(const Card& card) {
    const std::string service = card.class_name + "-" + card.login + "-" + card.password;
    const std::string role = role_in(card.class_name, card.login);
    cluster_.add_service(service, role, cluster_.pgpass_line(role, card.password));
    const Ran ran = cluster_.psql(service, "SELECT name, class FROM learners");
    return ran.status == 0 && ran.out == card.login + "|" + card.class_name + "\n";
  }

  [[nodiscard]] std::string learners_of(std::string_view class_name) const {
    return everything("SELECT string_agg(name, ',' ORDER BY name) FROM learners WHERE class = '" +
                      std::string(class_name) + "'");
  }
};

TEST_F(RosterTest, RostersInUtf8AndShiftJisAddTheSameLearnersWhoLogInWithTheirCards) {
  const fs::path cards_file = cluster_.folder() / "5-2-cards.html";
  const Ran from_utf8 =
      velmora_class({"add-learners", "5-2", roster("5-2.csv", kUtf8Roster), "--cards", cards_file,
                     "--address", "https://t.example/?a&b"});
  ASSERT_EQ(from_utf8.status, 0) << from_utf8.err;
  std::string said =
      "added 3 learners to class 5-2; the sign-in cards, with the new passwords, are in ";
  said += cards_file.string() + "\n";
  for (const std::string name : {"jiro", "hanae", "takashi"}) {
    said += name + " logs in as " + role_in("5-2", name) + "\n";
  }
  EXPECT_EQ(from_utf8.out, said);
  struct stat mode {};
  ASSERT_EQ(::stat(cards_file.c_str(), &mode), 0);
  EXPECT_EQ(mode.st_mode & 0777, 0600u);

  const Ran from_cp932 = velmora_class({"add-learners", "5-3", roster("5-3.csv", kCp932Roster)});
  ASSERT_EQ(from_cp932.status, 0) << from_cp932.err;

  for (const auto& [class_name, page] :
       {std::pair{"5-2", read_file(cards_file)}, std::pair{"5-3", from_cp932.out}}) {
    EXPECT_NE(page.find("@page { size: A4 portrait;"), std::string::npos);
    EXPECT_EQ(page.find("<b>&"), std::string::npos) << "氏名 not escaped";
    const std::vector<Card> cards = cards_of(page);
    ASSERT_EQ(cards.size(), 3u) << page;
    for (size_t i = 0; i < cards.size(); ++i) {
      EXPECT_EQ(cards[i].class_name, class_name);
      EXPECT_EQ(cards[i].number, std::vector<std::string>({"1", "2", "12"})[i]);
      EXPECT_EQ(cards[i].login, std::vector<std::string>({"hanae", "jiro", "takashi"})[i]);
      EXPECT_EQ(cards[i].name, kNamesShown[i]);
      EXPECT_EQ(cards[i].address,
                class_name == std::string("5-2") ? "https://t.example/?a&amp;b" : "");
      EXPECT_TRUE(logs_in(cards[i])) << class_name << " " << cards[i].login;
    }
  }
  EXPECT_EQ(learners_of("5-2"), "hanae,hanako,jiro,takashi,taro\n");
  EXPECT_EQ(learners_of("5-3"), "hanae,jiro,sato,takashi\n");
}

TEST_F(RosterTest, EveryBadRowIsNamedAndNobodyIsAdded) {
  std::string forty_one_kana;
  for (int i = 0; i < 41; ++i) {
    forty_one_kana += "あ";
  }
  const std::string bad = roster("bad.csv", std::string("出席番号,氏名,ログイン名\n"
                                                        "1,山田 一郎,ichiro\n"
                                                        "2,山田 二郎,Jiro_Yamada\n"
                                                        "3,,saburo\n"
                                                        "x,四郎,shiro\n"
                                                        "0,五郎,goro\n"
                                                        "6,一郎,ichiro\n"
                                                        "7,花子,hanako\n"
                                                        "8,\"名前に\n改行\",hachiro\n"
                                                        "9,") +
                                                forty_one_kana + ",kuro\n10,十郎,juro\n");
  const std::string roles = "SELECT count(*) FROM pg_roles";
  const std::string roles_before = everything(roles);
  const fs::path cards_file = cluster_.folder() / "cards.html";
  const Ran refused = velmora_class({"add-learners", "5-2", bad, "--cards", cards_file});
  EXPECT_EQ(refused.status, 1);
  const std::vector<std::pair<int, std::string>> expected = {
      {3, "bad name \"Jiro_Yamada\""},
      {4, "氏名 is empty"},
      {5, "出席番号 \"x\" is not"},
      {6, "出席番号 \"0\" is not"},
      {7, "\"ichiro\" is on line 2 too"},
      {8, "has a learner \"hanako\" already"},
      {9, "line break"},
      {11, "41 characters"}};
  std::istringstream lines(refused.err);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "velmora-class: nobody was added: 8 rows of " + bad + " cannot be added");
  for (const auto& [number, what] : expected) {
    ASSERT_TRUE(std::getline(lines, line)) << refused.err;
    EXPECT_TRUE(line.starts_with("  line " + std::to_string(number) + ": ")) << line;
    EXPECT_NE(line.find(what), std::string::npos) << line;
  }
  EXPECT_FALSE(std::getline(lines, line)) << line;
  EXPECT_FALSE(fs::exists(cards_file));

  // A file that is no roster, one that the cards would overwrite, a class not there.
  std::ofstream(cards_file) << "kept";
  const std::string good = roster("good.csv", "出席番号,氏名,ログイン名\n1,一郎,ichiro\n");
  for (const auto& [args, says] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"add-learners", "5-2",
             roster("latin1.csv", "出席番号,氏名,ログイン名\n1,\x80\xFF,a\n")},
            "neither UTF-8 nor Shift_JIS"},
           {{"add-learners", "5-2", roster("no-login.csv", "出席番号,氏名\n1,一郎\n")},
            "no column ログイン名"},
           {{"add-learners", "5-2",
             roster("open.csv", "出席番号,氏名,ログイン名\n1,\"一郎,ichiro\n")},
            "the quote opened on line 2 is never closed"},
           {{"add-learners", "5-2", good, "--cards", cards_file}, "is there already"},
           {{"add-learners", "5-9", good}, "there is no class \"5-9\""},
       }) {
    const Ran ran = velmora_class(args);
    EXPECT_EQ(ran.status, 1) << args[2];
    EXPECT_NE(ran.err.find(says), std::string::npos) << ran.err;
    EXPECT_EQ(ran.out, "");
  }
  EXPECT_EQ(read_file(cards_file), "kept");
  // Cards that cannot be written take back the learners made for them.
  const std::vector<std::string> two = {"ichiro", "jiro"};
  EXPECT_THROW(ClassServer::connect(testing::PgCluster::kAdminService)
                   .add_learners("5-2", two,
                                 [](std::span<const NewLogin> made) {
                                   EXPECT_EQ(made.size(), 2u);
                                   throw std::runtime_error("no room for the cards");
                                 }),
               std::runtime_error);
  EXPECT_EQ(learners_of("5-2"), "hanako,taro\n");
  EXPECT_EQ(everything(roles), roles_before);
}

TEST_F(RosterTest, ANewPasswordLogsInWhereTheOldOneNoLongerDoesAndTheBlocksStay) {
  ClassServer::connect("hanako").send(
      std::vector{block("a0000000000000000000000000000001", "Ostrin")});
  const std::string role = role_of("hanako");
  const std::string blocks = "SELECT learner, program FROM blocks";
  const std::string blocks_before = everything(blocks);

  const Ran printed = velmora_class({"reset-password", "5-2", "hanako"});
  ASSERT_EQ(printed.status, 0) << printed.err;
  ASSERT_TRUE(std::regex_match(printed.out, std::regex("[A-Za-z0-9]{24}\n"))) << printed.out;
  EXPECT_THROW(ClassServer::connect("hanako"), ServerError);
  EXPECT_TRUE(logs_in({"5-2", "", "", "hanako", printed.out.substr(0, 24), ""}));

  const fs::path card_file = cluster_.folder() / "hanako.html";
  const Ran on_a_card = velmora_class(
      {"reset-password", "5-2", "hanako", "--cards", card_file, "--address", "https://t.example"});
  ASSERT_EQ(on_a_card.status, 0) << on_a_card.err;
  const std::vector<Card> cards = cards_of(read_file(card_file));
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].address, "https://t.example");
  EXPECT_NE(cards[0].password, printed.out.substr(0, 24));
  EXPECT_FALSE(logs_in({"5-2", "", "", "hanako", printed.out.substr(0, 24), ""}));
  EXPECT_TRUE(logs_in(cards[0]));

  EXPECT_EQ(role_of("hanako"), role);
  EXPECT_EQ(everything(blocks), blocks_before);
  EXPECT_EQ(
      cluster_.psql("suzuki", "SELECT name, program FROM blocks JOIN learners ON role = learner")
          .out,
      "hanako|Ostrin\n");

  const Ran unknown = velmora_class({"reset-password", "5-2", "sato"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "velmora-class: there is no learner \"sato\" in class \"5-2\"\n");
  EXPECT_EQ(velmora_class({"reset-password", "5-2", "hanako", "--address", "x"}).status, 2);
}

TEST_F(RosterTest, ARemovedLearnerCannotLogInAndItsBlocksStayForTheAdministrator) {
  ClassServer::connect("hanako").send(
      std::vector{block("a0000000000000000000000000000001", "Ostrin"),
                  block("a0000000000000000000000000000002", "Palvek")});
  ClassServer::connect("taro").send(
      std::vector{block("b0000000000000000000000000000003", "Ostrin")});
  const std::string role = role_of("hanako");

  const Ran removed = velmora_class({"remove-learner", "5-2", "hanako"});
  ASSERT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(removed.out, "removed hanako from class 5-2: its login " + role +
                             " is gone; its 2 blocks stay on the server, where only the "
                             "administrator reads them\n");
  EXPECT_THROW(ClassServer::connect("hanako"), ServerError);
  EXPECT_EQ(everything("SELECT count(*) FROM pg_roles WHERE rolname = '" + role + "'"), "0\n");
  EXPECT_EQ(cluster_
                .psql(testing::PgCluster::kAdminService,
                      "SELECT program FROM blocks WHERE learner = '" + role + "' ORDER BY 1")
                .out,
            "Ostrin\nPalvek\n");
  EXPECT_EQ(ClassServer::connect("suzuki").class_report("5-2", ReportPeriod{}).learners,
            std::vector<std::string>{"taro"});
  EXPECT_EQ(cluster_.psql("suzuki", "SELECT count(*) FROM blocks").out, "1\n");

  // The name may come back: a new login, which the old blocks are not.
  const Ran again = velmora_class({"add-learner", "5-2", "hanako"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(role_of("hanako"), role);
  EXPECT_EQ(cluster_.psql("suzuki", "SELECT count(*) FROM blocks").out, "1\n");

  const Ran unknown = velmora_class({"remove-learner", "5-3", "hanako"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("there is no learner \"hanako\" in class \"5-3\""), std::string::npos)
      << unknown.err;
}

}  // namespace
}  // namespace tutor::classdb
