// The window's frame around the pages, for every front end: its caption, the
// commands of its toolbar, the about box, the captions of the message boxes,
// the texts of the result lists' menus and of the number editor, the colours
// and sizes of the look, and the version. The pages' own texts are in their
// declarations; nothing here is written anywhere else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The version is the one project() names in CMakeLists.txt; the build passes it on.
#ifndef OSTROLEN_VERSION
#error "OSTROLEN_VERSION must be defined by the build (see CMakeLists.txt)"
#endif

namespace ostrolen::shell {

inline constexpr std::string_view kVersion = OSTROLEN_VERSION;

inline constexpr std::string_view kWindowCaption = "Ostrolen";
inline constexpr std::string_view kExitCommand = "Выход";
inline constexpr std::string_view kAboutCommand = "О программе";
inline constexpr std::string_view kAboutCaption = "О программе";
inline constexpr std::string_view kAboutLine = "Ostrolen v." OSTROLEN_VERSION;
inline constexpr int kAboutLinePixels = 16;
inline constexpr int kAboutWidth = 333;
inline constexpr int kAboutHeight = 158;
inline constexpr std::string_view kReportCaption = "Ошибка!!!";
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kCancel = "Отмена";

// A result list's menu, and changing a field from its line.
inline constexpr std::string_view kCopyLines = "Копировать";
inline constexpr std::string_view kEditNumber = "Изменить…";
inline constexpr std::string_view kFormMenu = "Форма";
inline constexpr std::string_view kUndoChange = "Отменить";

// The keys of the toolbar's commands, as Qt and the browser both read them;
// the window has no menu bar to reach them through.
inline constexpr std::string_view kExitKeys = "Ctrl+Q";
inline constexpr std::string_view kAboutKeys = "F1";
// What a screen reader adds to a box whose bits the selected line shows.
inline constexpr std::string_view kLitBoxDescription = "Биты выбранной строки: ";
// The session's decodes: keeping one as the reference for the next press on
// its page, the history of presses and its report, and how a marked line
// shows what changed.
inline constexpr std::string_view kKeepReference = "Запомнить для сравнения";
inline constexpr std::string_view kKeepReferenceKey = "Ctrl+R";
inline constexpr std::string_view kHistoryCommand = "История";
inline constexpr std::string_view kHistoryKey = "Ctrl+H";
inline constexpr std::string_view kSaveHistory = "Сохранить историю…";
inline constexpr std::string_view kSaveHistoryKey = "Ctrl+S";
inline constexpr std::string_view kHistoryCaption = "История сеанса";
inline constexpr std::string_view kChooseEntry = "Декодировать снова";
inline constexpr std::string_view kCompareEntries = "Сравнить две записи";
inline constexpr std::string_view kHistoryFileName = "ostrolen-history";
inline constexpr std::string_view kOldValue = "было: ";
// The search box in the toolbar (Ctrl+F) and the list of matches under it:
// each line the matched text, the separator, the tab it goes to.
inline constexpr std::string_view kSearchPrompt = "Поиск (Ctrl+F)";
inline constexpr std::string_view kSearchPlaceSeparator = " — ";
inline constexpr std::string_view kSearchNone = "Ничего не найдено";
inline constexpr std::size_t kSearchListLines = 100;
inline constexpr int kSearchBoxWidth = 220;
inline constexpr int kSearchListWidth = 520;
inline constexpr int kSearchListHeight = 300;
// The height of a line of the search list, for PageUp and PageDown.
inline constexpr int kSearchLineHeight = 16;

// The browser page's own texts about the database it reads, which a page
// must be given: it cannot look into the folder it was opened from.
inline constexpr std::string_view kChooseDatabase = "Выбрать файл базы…";
inline constexpr std::string_view kChosenDatabase = "Запрос читает файл ";
// Before the line above when the last choice gave the page no file.
inline constexpr std::string_view kNoFileChosen = "Выбор файла ничего не дал. ";
inline constexpr std::string_view kSampleDatabase =
    "Пока файл не выбран, отвечает образец базы данных, а не справочная база";
// Both editions, while a long reading of the database goes on, then how far
// it is: "Чтение базы данных… 40 %".
inline constexpr std::string_view kReadingDatabase = "Чтение базы данных…";

inline constexpr int kWindowWidth = 799;
inline constexpr int kWindowHeight = 538;
inline constexpr int kToolbarHeight = 29;
inline constexpr int kToolbarIconPixels = 16;
inline constexpr int kPageFontPixels = 11;
inline constexpr int kBoxFontPixels = 19;
inline constexpr std::string_view kFontFamily = "MS Sans Serif";

struct Colour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};
// The window's face: the classic grey of an active window border.
inline constexpr Colour kWindowFace = {0xD4, 0xD0, 0xC8};
// Boxes and lists: the system colour for inactive caption text.
inline constexpr Colour kBoxBackground = {0xD8, 0xE4, 0xF8};
// The selected line, and the boxes its bits are in.
inline constexpr Colour kExplainColour = {0xFF, 0xE3, 0x8C};
// The frame around them, so that they stand out by more than their fill,
// which is near the boxes' own in brightness.
inline constexpr Colour kExplainFrame = {0x7A, 0x4A, 0x00};
inline constexpr int kExplainFramePixels = 2;
// Text, and the selection and focus of every other control: white on navy.
inline constexpr Colour kText = {0x00, 0x00, 0x00};
inline constexpr Colour kHighlight = {0x0A, 0x24, 0x6A};
inline constexpr Colour kHighlightedText = {0xFF, 0xFF, 0xFF};
inline constexpr Colour kFocusFrame = kHighlight;
inline constexpr int kFocusFramePixels = 2;
// The marks beside compared lines: unchanged, changed, new; and a gone line.
// Each reads as text on a list (at least 4.5:1), the gone line greyed.
inline constexpr Colour kSameColour = {0x50, 0x50, 0x50};
inline constexpr Colour kChangedColour = {0x8A, 0x3F, 0x00};
inline constexpr Colour kAddedColour = {0x00, 0x60, 0x18};
inline constexpr Colour kGoneColour = {0x5A, 0x5A, 0x5A};
// A line of the search list that is not a match to choose (the database's
// problem, "nothing found"): greyed, yet readable.
inline constexpr Colour kQuietText = {0x59, 0x59, 0x59};

// The window's looks: the light one above, as ever, and a dark one for a
// dim machine room. Each holds every colour a front end draws with, so that
// both editions draw a look alike.
enum class Look { Light, Dark };
struct LookColours {
  Colour face;              // the window's face
  Colour box;               // boxes and lists
  Colour explain;           // the selected line, and the boxes its bits are in
  Colour explain_frame;     // the frame around them
  Colour text;              // text on the face, in boxes, lists and menus
  Colour highlight;         // the selection of every other control
  Colour highlighted_text;  // text on it
  Colour focus_frame;       // the frame of the control with the focus
  Colour same;              // the marks of compared lines: unchanged,
  Colour changed;           //   changed (and the old value),
  Colour added;             //   new,
  Colour gone;              //   and a gone line
  Colour quiet;             // a search line that is no match
  Colour menu;              // menus, the search list, the table's rows
  Colour heading;           // the table's headings
  Colour disabled;          // a button that cannot be used
  Colour light;             // the bevels of raised and sunken frames: lit,
  Colour shadow;            //   shaded,
  Colour dark;              //   and dark
  Colour border;            // a box's thin border
  Colour around;            // the browser page around the window
  Colour warning;           // a word of warning on the face (the sample database in use)
  Colour caption_end;       // where a dialog's caption fades to from the highlight
};
inline constexpr LookColours kLightColours = {
    .face = kWindowFace,
    .box = kBoxBackground,
    .explain = kExplainColour,
    .explain_frame = kExplainFrame,
    .text = kText,
    .highlight = kHighlight,
    .highlighted_text = kHighlightedText,
    .focus_frame = kFocusFrame,
    .same = kSameColour,
    .changed = kChangedColour,
    .added = kAddedColour,
    .gone = kGoneColour,
    .quiet = kQuietText,
    .menu = {0xFF, 0xFF, 0xFF},
    .heading = {0xF0, 0xF0, 0xF0},
    .disabled = {0x80, 0x80, 0x80},
    .light = {0xFF, 0xFF, 0xFF},
    .shadow = {0x80, 0x80, 0x80},
    .dark = {0x40, 0x40, 0x40},
    .border = {0x8E, 0x8C, 0x88},
    .around = {0x8C, 0x8A, 0x85},
    .warning = {0x80, 0x00, 0x00},
    .caption_end = {0x10, 0x84, 0xD0},
};
// Light text on a near-black face; the lit line in dark amber with a bright
// frame, the selection in a blue that white text reads on.
inline constexpr LookColours kDarkColours = {
    .face = {0x20, 0x20, 0x20},
    .box = {0x1A, 0x1F, 0x29},
    .explain = {0x5A, 0x43, 0x00},
    .explain_frame = {0xFF, 0xC1, 0x4D},
    .text = {0xE8, 0xE8, 0xE8},
    .highlight = {0x3D, 0x6F, 0xB6},
    .highlighted_text = {0xFF, 0xFF, 0xFF},
    .focus_frame = {0x6E, 0xA8, 0xFF},
    .same = {0xB0, 0xB0, 0xB0},
    .changed = {0xFF, 0xB3, 0x6B},
    .added = {0x6F, 0xDC, 0x8C},
    .gone = {0xA0, 0xA0, 0xA0},
    .quiet = {0xA8, 0xA8, 0xA8},
    .menu = {0x24, 0x24, 0x24},
    .heading = {0x33, 0x33, 0x33},
    .disabled = {0x9A, 0x9A, 0x9A},
    .light = {0x4A, 0x4A, 0x4A},
    .shadow = {0x10, 0x10, 0x10},
    .dark = {0x00, 0x00, 0x00},
    .border = {0x5C, 0x5C, 0x5C},
    .around = {0x14, 0x14, 0x14},
    .warning = {0xFF, 0x8A, 0x80},
    .caption_end = {0x3D, 0x6F, 0xB6},
};
inline constexpr const LookColours& ColoursOf(Look look) { return look == Look::Dark ? kDarkColours : kLightColours; }

// "#RRGGBB".
std::string ColourText(Colour colour);

// How far apart two colours are in brightness, as the readability rules for
// screens measure it: 1 (the same) to 21 (black on white).
double ContrastRatio(Colour a, Colour b);

// The application's title, as the common error box shows it: the program
// file's name without its folder, cut before its first full stop, every
// letter after the first in lower case.
std::string ApplicationTitle(std::string_view program_path);

}  // namespace ostrolen::shell
