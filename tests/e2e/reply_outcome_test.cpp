// What the operator sees after a command: success, the unit's condition, or
// "No Connect", each once, shown by the main window.
#include <chrono>

#include "fixture.h"
#include "resource.h"
#include "win/dialogs/per_channel_dialog_res.h"

namespace e2e {
namespace {

// The program started with a configuration, the title display dialog open.
class TitleDisplayOpen : public ProgramTest {
 protected:
  explicit TitleDisplayOpen(std::string ini = "") : ini_(std::move(ini)) {}
  void SetUp() override {
    ProgramTest::SetUp();
    app = std::make_unique<App>(ini_);
    ASSERT_TRUE(app->main_window());
    dialog = open_dialog(*app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
    ASSERT_TRUE(dialog);
  }
  std::unique_ptr<App> app;
  HWND dialog = nullptr;

 private:
  std::string ini_;
};

class ReplyOutcome : public TitleDisplayOpen {};

// Success, a condition, a garbled reply and a reply in pieces: each gives
// exactly one box with its own caption and icon.
TEST_F(ReplyOutcome, EachReplyIsShownOnce) {
  click(dialog, IDB_SET);
  MessageBoxSeen box = next_box(*app);
  EXPECT_EQ(box.text, L"Success");
  EXPECT_EQ(box.caption, L"接続成功");
  EXPECT_EQ(box.icon, Icon::none);
  EXPECT_TRUE(no_box_within(*app, 1500));

  sim_com1().command("fault condition LOCK");
  click(dialog, IDB_SET);
  box = next_box(*app);
  EXPECT_EQ(box.text, L"Lock Display");
  EXPECT_EQ(box.caption, L"Error");
  EXPECT_EQ(box.icon, Icon::error);
  EXPECT_TRUE(no_box_within(*app, 1000));

  sim_com1().command("fault garble");
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(*app).text, L"Command Error");

  sim_com1().command("fault split 3 200");
  click(dialog, IDB_SET_ALL);
  EXPECT_EQ(next_box(*app).text, L"Success");
  EXPECT_TRUE(no_box_within(*app, 1000));
}

TEST_F(ReplyOutcome, SilentUnitGivesNoConnectAfterFifteenTicksOnce) {
  sim_com1().command("fault silence 1");
  const auto sent = std::chrono::steady_clock::now();
  click(dialog, IDB_SET);
  const auto box = wait_message_box(app->pid(), 8000);
  ASSERT_TRUE(box.has_value());
  const auto waited =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent)
          .count();
  answer_box(*box);
  EXPECT_EQ(box->text, L"No Connect");
  EXPECT_EQ(box->caption, L"接続失敗");
  EXPECT_EQ(box->icon, Icon::error);
  EXPECT_GE(waited, 2500) << "fifteen ticks of 190 ms";
  EXPECT_TRUE(no_box_within(*app, 2000));
  // The link is usable again.
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(*app).text, L"Success");
}

class Rs485 : public TitleDisplayOpen {
 protected:
  Rs485() : TitleDisplayOpen(ini_with({"control=1", "com_port=1"})) {}  // COM2: the bus
};

TEST_F(Rs485, AddressedCommandReachesOnlyItsUnit) {
  ASSERT_TRUE(is_enabled(dialog, IDC_SLAVE_LIST));
  choose(dialog, IDC_SLAVE_LIST, 5);
  choose(dialog, IDC_CHANNEL_LIST, 11);
  choose(dialog, IDC_VALUE_LIST, 0);
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(*app).text, L"Success") << "the reply carries the unit's address";
  EXPECT_EQ(sim_com2().received(), std::vector<std::string>{"05CTI12OF\\r\\n"});
  EXPECT_EQ(sim_com2().value("get 05 RCTI")[3 + 11], 'F');
  EXPECT_EQ(sim_com2().value("get 07 RCTI")[3 + 11], 'N');
}

TEST_F(Rs485, BroadcastReachesEveryUnitAndSucceedsWithoutAReply) {
  choose(dialog, IDC_SLAVE_LIST, 32);
  choose(dialog, IDC_SAME_VALUE_LIST, 0);
  click(dialog, IDB_SET_ALL);
  const MessageBoxSeen box = next_box(*app);
  EXPECT_EQ(box.text, L"Success");
  EXPECT_EQ(sim_com2().received(),
            std::vector<std::string>{"FFCTI" + std::string(32, 'F') + "\\r\\n"});
  for (int unit = 0; unit < 8; ++unit)
    EXPECT_EQ(sim_com2().value("get 0" + std::to_string(unit) + " RCTI"),
              "CTI" + std::string(32, 'F'));
}

}  // namespace
}  // namespace e2e
