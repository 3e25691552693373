// Whole sets: the File menu, "全項目の設定" (set all) and "設定項目の読み込み"
// (read all) against the simulated units. Suites named FullRun* send or read
// every setting of a unit and take minutes; CI runs them once.
#include <chrono>
#include <filesystem>

#include "fixture.h"
#include "resource.h"
#include "settings_file/settings_diff.h"
#include "win/bulk/compare_dialog_res.h"
#include "win/bulk/fleet_dialog_res.h"
#include "win/bulk/whole_set_dialogs_res.h"
#include "win/dialogs/per_channel_dialog_res.h"

namespace e2e {
namespace {

using orv::Compared;
using orv::DeviceSettings;
using orv::settings_differences;

std::wstring caption_of(const App& app) {
  return text_of(app.main_window());
}

// File > Open of `path` while the settings are unchanged.
void open_file(const App& app, const std::wstring& path) {
  post_command(app.main_window(), IDM_FILE_OPEN);
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", path));
}

void save_file_as(const App& app, const std::wstring& path) {
  post_command(app.main_window(), IDM_FILE_SAVE_AS);
  ASSERT_TRUE(choose_file(app.pid(), L"名前を付けて保存", path));
  ASSERT_TRUE(wait_until([&] { return caption_of(app) == L"ORVELLAN   " + path; }, 5000));
}

// Sends `sent` with set-all, reads it back with read-all after File > New,
// saves it and compares.
void round_trip(const App& app, const std::wstring& folder, const DeviceSettings& sent) {
  const std::wstring loaded = folder + L"\\sent.dat";
  const std::wstring read_back = folder + L"\\read.dat";
  ASSERT_TRUE(write_settings(loaded, sent));
  open_file(app, loaded);
  ASSERT_TRUE(wait_until([&] { return caption_of(app) == L"ORVELLAN   " + loaded; }, 5000));

  HWND set_all = ProgramTest::open_dialog(app, IDM_SET_ALL, L"全項目の設定  " + loaded);
  const MessageBoxSeen done = run_to_the_end(app, set_all, "set_all");
  EXPECT_EQ(done.text, L"設定が完了しました");
  EXPECT_EQ(done.caption, L"接続成功");
  EXPECT_TRUE(wait_until([&] { return !IsWindow(set_all); }, 3000));

  post_command(app.main_window(), IDM_FILE_NEW);  // nothing changed: no question
  ASSERT_TRUE(wait_until([&] { return caption_of(app) == L"ORVELLAN   "; }, 5000));

  HWND read_all = ProgramTest::open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み  ");
  const MessageBoxSeen read = run_to_the_end(app, read_all, "read_all");
  EXPECT_EQ(read.text, L"読み込みが完了しました");
  EXPECT_TRUE(wait_until([&] { return !IsWindow(read_all); }, 3000));

  save_file_as(app, read_back);
  DeviceSettings back;
  ASSERT_TRUE(read_settings(read_back, sent.model, back));
  const auto differences = settings_differences(sent, back, Compared::what_a_unit_gives_back);
  EXPECT_TRUE(differences.empty())
      << differences.size() << " settings differ, the first " << differences.front().name;
}

using FullRun = ProgramTest;

TEST_F(FullRun, SetAllThenReadAllBringsEverySettingBackFromATarquine) {
  App app(ini_with({"select_model=1", "com_port=2"}));  // COM3: a TARQUINE unit
  round_trip(app, temp_folder(L"orv-e2e-round-trip"),
             random_settings(orv::kModelTarquine, 20261206));
}

int pattern_in_force(const App& app) {
  HWND dialog = ProgramTest::open_dialog(app, IDM_SCREEN_PATTERN, L"画面表示パターン");
  const int pattern = selection(dialog, IDC_PATTERN_LIST);
  ProgramTest::close_dialog(dialog);
  return pattern;
}

// A read that does not complete changes no setting: the pattern in force
// stays the program's OP07 while the unit's is OP01.
TEST_F(FullRun, CutRunsEndWhereTheUnitFailsChangeNothingAndASecondRunCompletes) {
  App app;  // COM1: one ORVELLAN unit
  HWND patterns = ProgramTest::open_dialog(app, IDM_SCREEN_PATTERN, L"画面表示パターン");
  choose(patterns, IDC_PATTERN_LIST, 6);
  ASSERT_TRUE(close_dialog(patterns));
  HWND dialog = ProgramTest::open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み");
  const auto idle_again = [&] {
    return wait_until(
        [&] {
          return control_text(dialog, IDB_RUN) == L"読み込み" &&
                 control_text(dialog, IDE_PERCENT).empty() && is_enabled(dialog, IDB_CLOSE);
        },
        3000);
  };

  sim("COM1").command("fault condition LOCK 1 after 40");
  click(dialog, IDB_RUN);
  EXPECT_EQ(next_box(app, 30000).text, L"Lock Display");
  EXPECT_TRUE(idle_again());
  EXPECT_EQ(sim("COM1").received().size(), 40u) << "nothing after the failed step";
  EXPECT_EQ(status_line(app),
            L"読み込みは完了しなかったため、設定は変更していません。 "
            L"ステップ 40/175（ROP39）で止まりました。");

  click(dialog, IDB_RUN);
  ASSERT_TRUE(wait_until([&] { return control_text(dialog, IDE_PERCENT) == L"2"; }, 10000));
  save_screenshot(dialog, "read-all-running");
  click(dialog, IDB_RUN);  // "キャンセル"
  const MessageBoxSeen cancelled = next_box(app);
  expect_box(cancelled, L"中止しました", L"キャンセル", Icon::error);
  EXPECT_TRUE(idle_again());
  ASSERT_TRUE(close_dialog(dialog));
  EXPECT_EQ(pattern_in_force(app), 6);
  EXPECT_EQ(caption_of(app), L"ORVELLAN") << "no file, and unchanged";

  // Paced by the replies, one of them lost on the way: asked again, the
  // read completes well before the timer's 175 ticks of 300 ms.
  dialog = ProgramTest::open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み");
  click(dialog, IDC_REPLY_PACED);
  sim("COM1").command("log clear");
  sim("COM1").command("fault silence 1 after 50");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(run_to_the_end(app, dialog, "read_all_orvellan").text, L"読み込みが完了しました");
  EXPECT_LT(ms_since(started), 20000);
  EXPECT_EQ(sim("COM1").received().size(), 176u) << "175 steps and one retry";
  EXPECT_TRUE(ini_holds("reply_paced=1"));
  EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000));
  EXPECT_EQ(pattern_in_force(app), 0) << "the unit's OP01";
}

// File > "バックアップ…" of the RS-485 bus: each answering unit into a file of
// its own, a silent address skipped after one time-out, the settings in hand
// untouched; "リストア…" sets each unit from its file again.
TEST_F(FullRun, BackupAndRestoreOfTheUnitsOfABus) {
  App app(ini_with({"control=1", "com_port=1"}));  // COM2: units 00 to 07
  const std::wstring folder = temp_folder(L"orv-e2e-fleet");
  HWND dialog = ProgramTest::open_dialog(app, IDM_FILE_BACKUP, L"バックアップ");
  SetDlgItemTextW(dialog, IDE_FLEET_FOLDER, folder.c_str());
  click(dialog, IDB_FLEET_RUN);
  ASSERT_TRUE(
      wait_until([&] { return status_line(app).find(L"（10/32）") != std::wstring::npos; }, 60000))
      << "08 skipped after one time-out";
  save_screenshot(dialog, "backup-of-a-bus");
  click(dialog, IDB_FLEET_RUN);  // "キャンセル"
  EXPECT_TRUE(wait_until(
      [&] { return status_line(app) == L"バックアップ: 8 台完了、1 台スキップ、0 台失敗"; }, 3000))
      << status_line(app).size();
  ASSERT_TRUE(close_dialog(dialog));
  EXPECT_EQ(caption_of(app), L"ORVELLAN") << "no file, and unchanged";

  DeviceSettings unit03;
  ASSERT_TRUE(read_settings(folder + L"\\unit-03.dat", orv::kModelOrvellan, unit03));
  const char shown = sim("COM2").value("get 03 RCTI").at(3);
  unit03.titleDisplayInput[0] ^= 1;
  ASSERT_TRUE(write_settings(folder + L"\\unit-03.dat", unit03));
  dialog = ProgramTest::open_dialog(app, IDM_FILE_RESTORE, L"リストア");
  SetDlgItemTextW(dialog, IDE_FLEET_FOLDER, folder.c_str());
  click(dialog, IDB_FLEET_RUN);
  EXPECT_TRUE(wait_until(
      [&] { return status_line(app) == L"リストア: 8 台完了、24 台スキップ、0 台失敗"; }, 60000))
      << status_line(app).size();
  EXPECT_NE(sim("COM2").value("get 03 RCTI").at(3), shown) << "unit 03 took its changed file";
  ASSERT_TRUE(close_dialog(dialog));
}

using FileMenu = ProgramTest;

int font_size_of_channel_one(const App& app) {
  HWND dialog = ProgramTest::open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  choose(dialog, IDC_CHANNEL_LIST, 0);
  const int value = selection(dialog, IDC_VALUE_LIST);
  ProgramTest::close_dialog(dialog);
  return value;
}

TEST_F(FileMenu, MissingAndDamagedFilesChangeNothing) {
  const std::wstring folder = temp_folder(L"orv-e2e-files");
  const std::wstring damaged = folder + L"\\damaged.dat";
  write_bytes(damaged, "0\r\nx\r\n");
  App app;
  change_a_setting(app);

  post_command(app.main_window(), IDM_FILE_OPEN);
  EXPECT_EQ(next_box(app, 5000, IDNO).text, L"ファイルが変更されています。保存しますか？");
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", folder + L"\\missing.dat"));
  const MessageBoxSeen missing = next_box(app);
  EXPECT_EQ(missing.text,
            L"指定したファイルが見つかりませんでした。\nもう一度ファイル名を入力してください。");
  EXPECT_EQ(missing.icon, Icon::warning);
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", damaged)) << "the dialog comes again";
  const MessageBoxSeen refused = next_box(app);
  EXPECT_NE(refused.text.find(damaged), std::wstring::npos) << "names the file";
  EXPECT_NE(refused.text.find(L"2 行目"), std::wstring::npos) << "and the line";
  // An endless file is refused once it passes the bound, not read for ever.
  post_command(app.main_window(), IDM_FILE_OPEN);
  next_box(app, 5000, IDNO);  // the save question
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", L"Z:\\dev\\zero"));
  EXPECT_NE(next_box(app, 20000).text.find(L"ファイルが大きすぎます"), std::wstring::npos);
  EXPECT_EQ(caption_of(app), L"ORVELLAN") << "the file in use is still none";
  EXPECT_EQ(font_size_of_channel_one(app), 2) << "the settings are as they were";
  // "No" kept the edits marked changed, so leaving asks again (Cancel stays).
  PostMessageW(app.main_window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(next_box(app, 5000, IDCANCEL).caption, L"保存確認");

  // A file whose patterns show TARQUINE's inputs: Cancel opens nothing,
  // "Yes" switches the model and opens it unchanged.
  DeviceSettings wide = orv::settings_for_model(orv::kModelTarquine);
  wide.screenPatterns[0][0] = 49;  // input 50
  ASSERT_TRUE(write_settings(folder + L"\\wide.dat", wide));
  for (const int answer : {IDCANCEL, IDYES}) {
    post_command(app.main_window(), IDM_FILE_OPEN);
    next_box(app, 5000, IDNO);  // the save question
    ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", folder + L"\\wide.dat"));
    EXPECT_EQ(next_box(app, 5000, answer).caption, L"モデルの確認");
  }
  EXPECT_TRUE(ini_holds("select_model=1"));
  EXPECT_TRUE(
      wait_until([&] { return caption_of(app) == L"ORVELLAN   " + folder + L"\\wide.dat"; }, 5000));
  EXPECT_EQ(font_size_of_channel_one(app), 1) << "the file's settings";

  PostMessageW(app.main_window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.wait_exit(5000)) << "the file as it was opened: nothing to ask";
}

TEST_F(FileMenu, ASaveThatFailsKeepsTheEditsAndStopsNew) {
  const std::wstring folder = temp_folder(L"orv-e2e-gone");
  const std::wstring file = folder + L"\\kept.dat";
  ASSERT_TRUE(write_settings(file, DeviceSettings{}));
  App app;
  open_file(app, file);
  ASSERT_TRUE(wait_until([&] { return caption_of(app) == L"ORVELLAN   " + file; }, 5000));
  change_a_setting(app);
  std::filesystem::remove_all(std::filesystem::path(folder));  // the folder is gone

  post_command(app.main_window(), IDM_FILE_NEW);
  next_box(app, 5000, IDYES);  // save first: into a folder that is no more
  const MessageBoxSeen failed = next_box(app);
  EXPECT_EQ(failed.text, L"ファイルを開くことができませんでした。");
  EXPECT_EQ(failed.caption, L"エラー");
  EXPECT_EQ(caption_of(app), L"ORVELLAN   " + file) << "New did not go on";
  EXPECT_EQ(font_size_of_channel_one(app), 2);

  post_command(app.main_window(), IDM_FILE_NEW);
  next_box(app, 5000, IDNO);
  EXPECT_TRUE(wait_until([&] { return caption_of(app) == L"ORVELLAN   "; }, 5000));
  EXPECT_EQ(font_size_of_channel_one(app), 1) << "New gives the start-up values";
}

// File > "ファイルと比較…" lists what a file holds differently (the password
// masked) and copies the list as text; "機器と比較…" reads the unit aside and
// lists only what it gives back differently, the settings in hand untouched.
TEST_F(FileMenu, CompareWithAFileAndWithTheUnitListsTheChangedTitle) {
  const std::wstring folder = temp_folder(L"orv-e2e-compare");
  App app(ini_with({"reply_paced=1"}));
  HWND dialog = ProgramTest::open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み");
  click(dialog, IDB_RUN);
  ASSERT_EQ(next_box(app, 30000).text, L"読み込みが完了しました");
  save_file_as(app, folder + L"\\unit.dat");
  DeviceSettings changed;
  ASSERT_TRUE(read_settings(folder + L"\\unit.dat", orv::kModelOrvellan, changed));
  orv::set_title(changed.titles[4], "CAMERA5");
  orv::set_buffer_text(changed.password, "4711");
  const std::wstring file = folder + L"\\changed.dat";
  ASSERT_TRUE(write_settings(file, changed));
  const auto summary_of = [](HWND d) { return control_text(d, IDS_COMPARE_SUMMARY); };

  post_command(app.main_window(), IDM_FILE_COMPARE);
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルと比較", file));
  dialog = wait_window(app.pid(), L"ファイルと比較  " + file);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(summary_of(dialog), L"相違点: 2 件");
  if (OpenClipboard(nullptr)) EmptyClipboard(), CloseClipboard();
  click(dialog, IDB_COMPARE_COPY);
  std::wstring copied;
  EXPECT_TRUE(wait_until([&] { return !(copied = clipboard_text()).empty(); }, 3000));
  EXPECT_NE(copied.find(L"titles\tch.05\t「ＣＨ０５」\t「CAMERA5」\r\n"), std::wstring::npos)
      << copied.size();
  EXPECT_NE(copied.find(L"password\t\t********\t********\r\n"), std::wstring::npos);
  EXPECT_EQ(copied.find(L"4711"), std::wstring::npos) << "never the password itself";
  ASSERT_TRUE(close_dialog(dialog));

  open_file(app, file);
  ASSERT_TRUE(wait_until([&] { return caption_of(app) == L"ORVELLAN   " + file; }, 5000));
  dialog = ProgramTest::open_dialog(app, IDM_UNIT_COMPARE, L"機器と比較");
  EXPECT_TRUE(wait_until([&] { return summary_of(dialog).rfind(L"相違点", 0) == 0; }, 30000));
  save_screenshot(dialog, "compare-with-the-unit");
  EXPECT_EQ(summary_of(dialog), L"相違点: 2 件") << "the title and the password, nothing else";

  // A unit that falls silent: the read ends as read all's does, and the
  // list says so instead of comparing a half-read copy.
  sim("COM1").command("fault silence all");
  click(dialog, IDB_RUN);
  EXPECT_EQ(next_box(app, 20000).text, L"No Connect");
  EXPECT_TRUE(
      wait_until([&] { return summary_of(dialog) == L"読み込みは完了しませんでした。"; }, 3000));
  ASSERT_TRUE(close_dialog(dialog));
  PostMessageW(app.main_window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.wait_exit(5000)) << "the settings in hand are still the file's";
}

}  // namespace
}  // namespace e2e
