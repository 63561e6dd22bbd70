#include "win32_toolbar_images.h"

#include "win32_owners.h"

namespace tessel::win {
namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kCard = RGB(24, 96, 192);
constexpr COLORREF kContacts = RGB(235, 190, 40);
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kArrow = RGB(0, 150, 0);
constexpr COLORREF kStop = RGB(200, 0, 0);
constexpr COLORREF kFolder = RGB(240, 200, 80);

// A small painter over one image's device context.
class Pen {
 public:
  explicit Pen(HDC dc) : dc_(dc) {}
  void box(int left, int top, int right, int bottom, COLORREF fill, COLORREF edge = kInk) {
    zrb::win::UniqueGdiObject brush(CreateSolidBrush(fill));
    zrb::win::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, edge));
    zrb::win::Selection useBrush(dc_, brush.get()), usePen(dc_, pen.get());
    Rectangle(dc_, left, top, right, bottom);
  }
  void line(int x0, int y0, int x1, int y1, COLORREF colour, int width = 2) {
    zrb::win::UniqueGdiObject pen(CreatePen(PS_SOLID, width, colour));
    zrb::win::Selection usePen(dc_, pen.get());
    MoveToEx(dc_, x0, y0, nullptr);
    LineTo(dc_, x1, y1);
  }
  void polygon(const POINT* points, int count, COLORREF fill) {
    zrb::win::UniqueGdiObject brush(CreateSolidBrush(fill));
    zrb::win::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, kInk));
    zrb::win::Selection useBrush(dc_, brush.get()), usePen(dc_, pen.get());
    Polygon(dc_, points, count);
  }
  void ring(int left, int top, int right, int bottom, COLORREF edge) {
    zrb::win::UniqueGdiObject pen(CreatePen(PS_SOLID, 2, edge));
    zrb::win::Selection usePen(dc_, pen.get()), hollow(dc_, GetStockObject(NULL_BRUSH));
    Ellipse(dc_, left, top, right, bottom);
  }
  void letter(const wchar_t* text, COLORREF colour, int height = 18) {
    zrb::win::UniqueGdiObject font(
        CreateFontW(-height, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Arial"));
    zrb::win::Selection useFont(dc_, font.get());
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, colour);
    RECT area{0, 0, kToolImageSize, kToolImageSize};
    DrawTextW(dc_, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  // A PC card: body, contact strip at the bottom.
  void card(int left, int top, int right, int bottom) {
    box(left, top, right, bottom, kCard);
    box(left, bottom - 4, right, bottom, kContacts);
  }
  void page(int left, int top, int right, int bottom) {
    box(left, top, right, bottom, kPaper);
    for (int y = top + 3; y < bottom - 2; y += 3) line(left + 2, y, right - 3, y, RGB(128, 128, 128), 1);
  }
  void arrowRight(int left, int right, int y) {
    line(left, y, right - 4, y, kArrow, 3);
    POINT head[] = {{right - 5, y - 4}, {right, y}, {right - 5, y + 4}};
    polygon(head, 3, kArrow);
  }
  void arrowLeft(int left, int right, int y) {
    line(left + 4, y, right, y, kArrow, 3);
    POINT head[] = {{left + 5, y - 4}, {left, y}, {left + 5, y + 4}};
    polygon(head, 3, kArrow);
  }
  void magnifier(int left, int top) {
    ring(left, top, left + 12, top + 12, kInk);
    line(left + 10, top + 10, left + 16, top + 16, kInk, 3);
  }

 private:
  HDC dc_;
};

void draw(ToolImage image, Pen& pen) {
  switch (image) {
    case ToolImage::Open: {
      POINT folder[] = {{2, 7}, {9, 7}, {11, 9}, {22, 9}, {22, 21}, {2, 21}};
      pen.polygon(folder, 6, kFolder);
      pen.card(8, 3, 18, 14);
      break;
    }
    case ToolImage::Close:
      pen.card(4, 3, 21, 22);
      pen.line(8, 7, 17, 16, kStop, 3);
      pen.line(17, 7, 8, 16, kStop, 3);
      break;
    case ToolImage::FileToCard:
      pen.page(1, 3, 10, 21);
      pen.card(15, 3, 24, 21);
      pen.arrowRight(8, 17, 12);
      break;
    case ToolImage::CardToFile:
      pen.card(1, 3, 10, 21);
      pen.page(15, 3, 24, 21);
      pen.arrowRight(8, 17, 12);
      break;
    case ToolImage::Erase:
      pen.card(2, 3, 20, 22);
      pen.box(11, 12, 23, 19, RGB(255, 160, 190));
      break;
    case ToolImage::EraseCheck:
      pen.card(2, 3, 20, 22);
      pen.line(9, 13, 13, 18, kArrow, 3);
      pen.line(13, 18, 22, 6, kArrow, 3);
      break;
    case ToolImage::Compare:
      pen.card(1, 3, 10, 21);
      pen.page(15, 3, 24, 21);
      pen.line(10, 10, 15, 10, kInk, 2);
      pen.line(10, 14, 15, 14, kInk, 2);
      break;
    case ToolImage::CardInfo:
      pen.card(2, 2, 23, 23);
      pen.letter(L"i", kPaper);
      break;
    case ToolImage::Jump:
      pen.page(2, 2, 14, 23);
      pen.arrowRight(8, 24, 12);
      break;
    case ToolImage::Search:
      pen.page(2, 2, 16, 22);
      pen.magnifier(9, 7);
      break;
    case ToolImage::SearchForward:
      pen.magnifier(1, 1);
      pen.arrowRight(9, 24, 19);
      break;
    case ToolImage::SearchBackward:
      pen.magnifier(10, 1);
      pen.arrowLeft(1, 16, 19);
      break;
    case ToolImage::Help:
      pen.ring(2, 2, 23, 23, RGB(0, 0, 160));
      pen.letter(L"?", RGB(0, 0, 160));
      break;
    case ToolImage::Exit:
      pen.box(4, 2, 17, 23, RGB(160, 110, 60));
      pen.box(13, 11, 15, 14, kContacts);
      pen.arrowRight(12, 24, 18);
      break;
    case ToolImage::Count:
      break;
  }
}

}  // namespace

HIMAGELIST createToolImages() {
  HIMAGELIST list = ImageList_Create(kToolImageSize, kToolImageSize, ILC_COLOR24 | ILC_MASK,
                                     static_cast<int>(ToolImage::Count), 0);
  zrb::win::WindowDc screen(nullptr);
  zrb::win::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  zrb::win::UniqueGdiObject background(CreateSolidBrush(kMaskColour));
  for (int index = 0; index < static_cast<int>(ToolImage::Count); ++index) {
    zrb::win::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), kToolImageSize, kToolImageSize));
    {
      zrb::win::Selection drawing(dc.get(), bitmap.get());
      RECT all{0, 0, kToolImageSize, kToolImageSize};
      FillRect(dc.get(), &all, static_cast<HBRUSH>(background.get()));
      Pen pen(dc.get());
      draw(static_cast<ToolImage>(index), pen);
    }
    ImageList_AddMasked(list, static_cast<HBITMAP>(bitmap.get()), kMaskColour);
  }
  return list;
}

}  // namespace tessel::win
