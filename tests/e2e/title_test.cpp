// "タイトル", "外字登録" and "外字挿入" against the simulated units: typing a
// title, what the unit holds of it, titles it cannot take, the timed run of
// all titles, drawing a glyph, registering it, reading it back, its files,
// and putting it into a title.
#include <chrono>

#include "fixture.h"
#include "protocol/commands.h"
#include "protocol/title_codec.h"
#include "resource.h"
#include "titles/glyph_editor.h"
#include "titles/title_csv.h"
#include "win/platform/text.h"
#include "win/titles/glyph_editor_dialog_res.h"
#include "win/titles/glyph_insertion_dialog_res.h"
#include "win/titles/title_dialog_res.h"

namespace e2e {
namespace {

using Titles = ProgramTest;

constexpr wchar_t kUnsendable[] = L"ＪＩＳ第１水準,第２水準以外の字が選択されてます";

HWND open_titles(const App& app) {
  return ProgramTest::open_dialog(app, IDM_TITLE, L"タイトル ");
}

// The title command of `text` for `channel`, as the core builds it.
std::string title_line(int channel, const std::wstring& text) {
  return orv::build_title(channel, orv::title_codes(orv::win::to_shift_jis(text)).value()).text;
}

// Types text into an edit as the keyboard would, one character at a time.
void type_text(HWND edit, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
}

void paste_text(HWND edit, const std::wstring& text) {
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

TEST_F(Titles, ATypedAndPastedTitleReachesTheUnitAsJisCodes) {
  App app;
  HWND dialog = open_titles(app);
  choose(dialog, IDC_TITLE_CHANNEL_LIST, 2);  // ch.03
  HWND edit = GetDlgItem(dialog, IDE_TITLE);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  type_text(edit, L"ＣＨ　");
  ASSERT_TRUE(wait_until([&] { return control_text(dialog, IDE_TITLE) == L"ＣＨ　"; }, 3000));
  paste_text(edit, L"第１入力");
  EXPECT_EQ(control_text(dialog, IDE_TITLE), L"ＣＨ　第１入力");
  EXPECT_TRUE(ink_shows(dialog, RECT{105, 90, 250, 106}, 20))
      << "ch.03's title is painted in the table";
  save_screenshot(dialog, "titles");
  expect_success(app, dialog, IDB_SET);
  const std::string sent = title_line(2, L"ＣＨ　第１入力");
  EXPECT_EQ(sim("COM1").received(), std::vector<std::string>{sent.substr(0, 116) + "\\r\\n"});
  // A MEDIUM title answers with 21 characters.
  EXPECT_EQ(sim("COM1").value("get 00 RCT03"), sent.substr(0, 4 + 4 * 21));

  // External character 005 (U+E004, Shift_JIS F044): the title goes with the
  // ideographic space in its place, then its insert command.
  sim("COM1").command("log clear");
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Ａ\xE004"));
  EXPECT_EQ(control_text(dialog, IDE_TITLE), L"Ａ\xE004") << "taken as typed";
  save_screenshot(dialog, "title-external-character");
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(app, 5000).text, L"Success");
  std::string title = "CT032341";
  while (title.size() < 116) title += "2121";
  EXPECT_EQ(sim("COM1").received(),
            (std::vector<std::string>{title + "\\r\\n", "G005C03I02\\r\\n"}));
  EXPECT_EQ(sim("COM1").value("get 00 RCT03").substr(4, 8), "2341A369");
}

TEST_F(Titles, TitlesTheUnitCannotTakeAreNeverSent) {
  App app;
  HWND dialog = open_titles(app);
  HWND edit = GetDlgItem(dialog, IDE_TITLE);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ＣＨ A"));  // a half-width letter
  click(dialog, IDB_SET);
  const MessageBoxSeen box = next_box(app);
  EXPECT_EQ(box.text, kUnsendable);
  EXPECT_EQ(box.icon, Icon::warning);
  EXPECT_EQ(control_text(dialog, IDE_TITLE), L"ＣＨ A") << "the title stays as typed";
  // Longer than 56 Shift_JIS bytes, or a character Shift_JIS has not: the
  // edit keeps the title it had.
  const std::wstring full(28, L'あ');
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(full.c_str()));
  paste_text(edit, L"い");
  EXPECT_EQ(control_text(dialog, IDE_TITLE), full);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"あ"));
  paste_text(edit, L"\x00E9");
  EXPECT_EQ(control_text(dialog, IDE_TITLE), L"あ");
  EXPECT_TRUE(sim("COM1").received().empty());
}

TEST_F(Titles, SetAllStopsAtATitleItCannotSend) {
  App app;
  HWND dialog = open_titles(app);
  choose(dialog, IDC_TITLE_CHANNEL_LIST, 2);
  SendDlgItemMessageW(dialog, IDE_TITLE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"AB"));
  click(dialog, IDB_SET_ALL);
  EXPECT_EQ(next_box(app, 10000).text, kUnsendable);
  EXPECT_EQ(next_box(app, 10000).text, L"Command Error") << "then the run ends, once";
  EXPECT_TRUE(wait_until([&] { return control_text(dialog, IDB_SET_ALL) == L"全設定"; }, 3000));
  EXPECT_TRUE(no_box_within(app, 1500));
  EXPECT_EQ(sim("COM1").received().size(), 2u) << "the titles before it went out";
}

using FullRun = ProgramTest;

// A file with one title the unit cannot take changes no title, not even
// those on the lines before it.
TEST_F(Titles, ACsvFileWithABadLineChangesNothing) {
  App app;
  HWND dialog = open_titles(app);
  const std::wstring before = control_text(dialog, IDE_TITLE);
  const std::wstring file = temp_folder(L"orv-e2e-csv-bad") + L"\\bad.csv";
  ASSERT_TRUE(write_bytes(file,
                          "\xEF\xBB\xBF"
                          "channel,title\r\n1,\xE6\x96\xB0\r\n2,ABC\r\n"));
  click(dialog, IDB_TITLE_IMPORT);
  ASSERT_TRUE(choose_file(app.pid(), L"タイトルの読み込み", file));
  const MessageBoxSeen refused = next_box(app);
  EXPECT_NE(refused.text.find(L"3 行目: " + std::wstring(kUnsendable)), std::wstring::npos);
  EXPECT_NE(refused.text.find(L"タイトルは変更していません。"), std::wstring::npos);
  EXPECT_EQ(control_text(dialog, IDE_TITLE), before) << "ch.01 keeps its title";
}

// 64 Japanese titles come in from a CSV file, go to the unit with "全設定",
// and go out to a CSV file again byte for byte.
TEST_F(FullRun, AllSixtyFourTitlesOfATarquineFromACsvFileAndBack) {
  App app(ini_with({"select_model=1", "com_port=2"}));
  HWND dialog = open_titles(app);
  const std::wstring folder = temp_folder(L"orv-e2e-csv");
  const orv::DeviceSettings drawn = random_settings(orv::kModelTarquine, 64);
  std::vector<std::wstring> titles;
  std::vector<std::string> rows;
  for (int i = 0; i < 64; ++i) {
    titles.push_back(orv::win::from_shift_jis(orv::title_text(drawn.titles[i])));
    rows.push_back(orv::win::narrow(titles.back()));
  }
  const std::string csv = orv::format_title_csv(rows);
  ASSERT_TRUE(write_bytes(folder + L"\\in.csv", csv));
  click(dialog, IDB_TITLE_IMPORT);
  ASSERT_TRUE(choose_file(app.pid(), L"タイトルの読み込み", folder + L"\\in.csv"));
  EXPECT_TRUE(no_box_within(app, 500));

  const auto started = std::chrono::steady_clock::now();
  click(dialog, IDB_SET_ALL);
  EXPECT_EQ(next_box(app, 60000).text, L"Success");
  RecordProperty("all_titles_ms", std::to_string(ms_since(started)));
  EXPECT_EQ(control_text(dialog, IDE_PERCENT), L"100");
  const std::vector<std::string> received = sim("COM3").received();
  ASSERT_EQ(received.size(), 64u);
  for (int i = 0; i < 64; ++i) {
    const std::string line = title_line(i, titles[static_cast<size_t>(i)]);
    EXPECT_EQ(received[static_cast<size_t>(i)], line.substr(0, line.size() - 2) + "\\r\\n") << i;
  }

  click(dialog, IDB_TITLE_EXPORT);
  ASSERT_TRUE(choose_file(app.pid(), L"タイトルの書き出し", folder + L"\\out.csv"));
  EXPECT_TRUE(wait_until([&] { return file_bytes(folder + L"\\out.csv") == csv; }, 3000));
}

using Glyphs = ProgramTest;

// The middle of cell (row, column) of the LARGE grid, whose cells are 10
// pixels at (10, 10).
int middle(int cell) {
  return orv::kGridLeft + 10 * cell + 5;
}

void mouse(HWND dialog, UINT message, int row, int column) {
  PostMessageW(dialog, message, message == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON,
               MAKELPARAM(middle(column), middle(row)));
}

bool cell_is_set(HWND dialog, int row, int column) {
  return client_pixel(dialog, middle(column), middle(row)) == RGB(255, 255, 255);
}

TEST_F(Glyphs, DrawRegisterReadBackSaveOpenAndInsert) {
  const std::wstring folder = temp_folder(L"orv-e2e-glyphs");
  App app;
  HWND editor = open_dialog(app, IDM_GLYPH_LARGE, L"外字登録  （LARGE）");
  // A stroke along row 5 from column 5 to 10, then column 7 wiped.
  mouse(editor, WM_LBUTTONDOWN, 5, 5);
  for (int column = 6; column <= 10; ++column) mouse(editor, WM_MOUSEMOVE, 5, column);
  mouse(editor, WM_LBUTTONUP, 5, 10);
  mouse(editor, WM_RBUTTONDOWN, 5, 7);
  mouse(editor, WM_RBUTTONUP, 5, 7);
  orv::GlyphBitmap drawn{};
  for (int column : {5, 6, 8, 9, 10})
    orv::set_glyph_pixel(drawn, orv::GlyphSize::large, 5, column, true);
  const auto shows_the_stroke = [&] {
    return cell_is_set(editor, 5, 5) && cell_is_set(editor, 5, 10) && !cell_is_set(editor, 5, 7) &&
           !cell_is_set(editor, 6, 6);
  };
  ASSERT_TRUE(wait_until(shows_the_stroke, 3000));
  // The pen leaves a set cell outlined in white, a cleared one in black.
  const auto outline = [&](int row, int column) {
    return client_pixel(editor, middle(column) - 5, middle(row));
  };
  EXPECT_EQ(outline(5, 6), RGB(255, 255, 255));
  EXPECT_EQ(outline(5, 7), RGB(0, 0, 0));
  save_screenshot(editor, "glyph-editor");

  choose(editor, IDC_REGISTRATION_LIST, 4);  // 005
  expect_success(app, editor, IDB_REGISTER);
  const std::string hex = orv::format_glyph_file(drawn, orv::GlyphSize::large);
  EXPECT_EQ(sim("COM1").received().back(), "GRL005" + hex.substr(0, 576) + "\\r\\n");

  // A read would replace the drawing: it asks first, and Cancel keeps it.
  sim("COM1").command("log clear");
  click(editor, IDB_READ_REGISTERED);
  EXPECT_EQ(next_box(app, 5000, IDCANCEL).caption, L"保存確認");
  EXPECT_TRUE(shows_the_stroke());
  EXPECT_TRUE(sim("COM1").received().empty()) << "nothing was read";
  click(editor, IDB_GLYPH_NEW);
  EXPECT_EQ(next_box(app, 5000, IDNO).caption, L"保存確認");
  ASSERT_TRUE(wait_until([&] { return !cell_is_set(editor, 5, 5); }, 3000)) << "an empty grid";
  expect_success(app, editor, IDB_READ_REGISTERED);
  ASSERT_TRUE(wait_until(shows_the_stroke, 3000)) << "the glyph came back from the unit";

  const std::wstring file = folder + L"\\stroke.txl";
  click(editor, IDB_GLYPH_SAVE_AS);
  ASSERT_TRUE(choose_file(app.pid(), L"名前を付けて保存", file));
  ASSERT_TRUE(wait_until([&] { return text_of(editor) == L"外字登録  （LARGE）" + file; }, 3000));
  EXPECT_EQ(file_bytes(file), hex);

  click(editor, IDB_GLYPH_NEW);  // saved: no question
  ASSERT_TRUE(wait_until([&] { return !cell_is_set(editor, 5, 5); }, 3000));
  click(editor, IDB_GLYPH_OPEN);
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", file));
  ASSERT_TRUE(wait_until(shows_the_stroke, 3000)) << "the file gives the same pixels";

  const std::wstring damaged = folder + L"\\damaged.txl";
  write_bytes(damaged, "80FF\r\n");
  click(editor, IDB_GLYPH_OPEN);
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", damaged));
  const MessageBoxSeen refused = next_box(app);
  EXPECT_NE(refused.text.find(damaged), std::wstring::npos);
  EXPECT_TRUE(shows_the_stroke()) << "the glyph is unchanged";
  EXPECT_EQ(text_of(editor), L"外字登録  （LARGE）" + file) << "and so is the file in use";
  ASSERT_TRUE(close_dialog(editor));

  HWND insertion = open_dialog(app, IDM_GLYPH_INSERT, L"外字挿入");
  EXPECT_EQ(selection(insertion, IDC_INSERT_REGISTRATION_LIST), 4) << "shared with the editor";
  choose(insertion, IDC_INSERT_CHANNEL_LIST, 2);
  choose(insertion, IDC_INSERT_POSITION_LIST, 2);
  expect_success(app, insertion, IDB_SET);
  EXPECT_EQ(sim("COM1").received().back(), "G005C03I03\\r\\n");
  EXPECT_EQ(sim("COM1").value("get 00 RCT03").substr(4 + 4 * 2, 4), "A369")
      << "registration 005's code in position 3";
}

}  // namespace
}  // namespace e2e
