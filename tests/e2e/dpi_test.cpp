// The painted layout at the screen's DPI: at 96 where it has always been, at
// 144 half as large again, texts, frames and cells alike, each text inside
// its own box, and the mouse where the cells are. Wine takes the DPI from HKCU\Control
// Panel\Desktop\LogPixels when a program starts.
#include <string>

#include "fixture.h"
#include "resource.h"
#include "status/status_layout.h"
#include "titles/glyph_editor.h"
#include "unit_settings/painted_table.h"

namespace e2e {
namespace {

using MainWindow = ProgramTest;

// LogPixels for the programs started while it lives; the value before it
// comes back at the end, whatever the test's outcome.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    DWORD size = sizeof before_;
    had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before_),
                            &size) == ERROR_SUCCESS;
    set(dpi);
  }
  ~ScreenDpi() {
    if (had_)
      set(before_);
    else
      RegDeleteValueW(key_, L"LogPixels");
    RegCloseKey(key_);
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

 private:
  void set(DWORD dpi) {
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
  }
  HKEY key_ = nullptr;
  DWORD before_ = 0;
  bool had_ = false;
};

struct Scale {
  int dpi;
  int operator()(int layout) const { return MulDiv(layout, dpi, 96); }
  RECT operator()(int left, int top, int right, int bottom) const {
    return RECT{(*this)(left), (*this)(top), (*this)(right), (*this)(bottom)};
  }
};

// The first entry of a per-channel table: "ch.01 =" in its box and the value
// ("MEDIUM", "BOTTOM") in its own, nothing of the row outside the two, and
// the table's frame where the layout puts it.
void expect_first_entry_in_its_boxes(HWND dialog, const Scale& at, const char* what) {
  ASSERT_TRUE(wait_until(
      [&] {
        return client_pixel(dialog, at(orv::kTableLeft + 5), at(orv::kTableTop + 5)) ==
               RGB(255, 255, 255);
      },
      3000))
      << what << ": the table is on the screen";
  const orv::PaintedEntry e = orv::table_entry(0, "", "");
  const RECT label = at(e.label_x - 2, e.y - 3, e.value_x - 2, e.y + 20);
  const RECT value = at(e.value_x - 2, e.y - 3, e.value_x + 100, e.y + 20);
  const RECT row = at(orv::kTableLeft + 3, e.y - 3, e.label_x + 170, e.y + 20);
  // The three are read again until one reading agrees, so that a table
  // still being painted between two of them is not taken for stray ink.
  int label_ink = 0, value_ink = 0, row_ink = 0;
  wait_until(
      [&] {
        label_ink = ink_in(dialog, label);
        value_ink = ink_in(dialog, value);
        row_ink = ink_in(dialog, row);
        return row_ink == label_ink + value_ink;
      },
      2000);
  EXPECT_GT(label_ink, 10 * at.dpi / 96) << what;
  EXPECT_GT(value_ink, 10 * at.dpi / 96) << what;
  EXPECT_EQ(row_ink, label_ink + value_ink) << what << ": ink outside its boxes";
  const int middle = at((orv::kTableTop + orv::kTableBottom) / 2);
  EXPECT_EQ(client_pixel(dialog, at(orv::kTableLeft), middle), RGB(0, 0, 0)) << what;
  EXPECT_EQ(client_pixel(dialog, at(orv::kTableRight) - 1, middle), RGB(0, 0, 0)) << what;
}

void expect_layout_at(DWORD dpi) {
  const ScreenDpi screen(dpi);
  const Scale at{static_cast<int>(dpi)};
  const std::string suffix = "-" + std::to_string(dpi) + "dpi";
  App app;
  RECT b{};
  GetWindowRect(GetDlgItem(app.main_window(), IDB_FIRST_PANEL_BUTTON + 12), &b);
  MapWindowPoints(nullptr, app.main_window(), reinterpret_cast<POINT*>(&b), 2);
  const RECT expected = at(720, 0, 780, 55);
  EXPECT_TRUE(EqualRect(&b, &expected)) << "the last panel button at " << dpi;
  EXPECT_GT(ink_in(app.main_window(), at(725, 33, 775, 50)), 10) << "its label";
  save_screenshot(app.main_window(), "main-window" + suffix);

  HWND dialog = ProgramTest::open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  expect_first_entry_in_its_boxes(dialog, at, "MEDIUM");
  save_screenshot(dialog, "font-size" + suffix);
  ASSERT_TRUE(ProgramTest::close_dialog(dialog));
  dialog = ProgramTest::open_dialog(app, IDM_TITLE_POSITION, L"タイトル位置");
  expect_first_entry_in_its_boxes(dialog, at, "BOTTOM");
  ASSERT_TRUE(ProgramTest::close_dialog(dialog));

  // The status window: the output numbers left of the cells, the input
  // numbers above them, every cell in its place.
  dialog = ProgramTest::open_dialog(app, IDM_STATUS, L"入出力の状態");
  ASSERT_TRUE(wait_painted(dialog));
  const orv::PixelBox first = orv::status_cell(0, 0, 32), last = orv::status_cell(31, 31, 32);
  EXPECT_GT(ink_in(dialog, at(12, orv::status_row_y(0), first.left - 1, first.bottom)), 5);
  EXPECT_GT(ink_in(dialog, at(first.left, 19, first.right, first.top - 1)), 5);
  EXPECT_EQ(
      client_pixel(dialog, at((last.left + last.right) / 2), at((last.top + last.bottom) / 2)),
      RGB(0, 0, 255))
      << "output 32's cell for input 32";
  save_screenshot(dialog, "status" + suffix);
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000));

  // The glyph editor takes the pen where the cell is painted: a click in the
  // middle of LARGE cell (5, 5), 10 layout pixels a cell, sets that cell.
  dialog = ProgramTest::open_dialog(app, IDM_GLYPH_LARGE, L"外字登録");
  const int middle = at(orv::kGridLeft + 10 * 5 + 5), next = at(orv::kGridLeft + 10 * 6 + 5);
  PostMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle, middle));
  PostMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(middle, middle));
  EXPECT_TRUE(
      wait_until([&] { return client_pixel(dialog, middle, middle) == RGB(255, 255, 255); }, 3000));
  EXPECT_TRUE(
      wait_until([&] { return client_pixel(dialog, next, middle) == RGB(0, 0, 255); }, 3000))
      << "its neighbour stays clear";
  save_screenshot(dialog, "glyph-editor" + suffix);
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ProgramTest::next_box(app, 5000, IDNO);  // the drawing is not kept
  EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000));
}

TEST_F(MainWindow, PaintedLayoutScalesWithTheScreenDpi) {
  for (const DWORD dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    expect_layout_at(dpi);
  }
}

}  // namespace
}  // namespace e2e
