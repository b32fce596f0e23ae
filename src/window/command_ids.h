#pragma once
// Command numbers of the main menu, the toolbar, the accelerators and the
// text view's context menu. They identify commands across menu items,
// toolbar buttons and keys, as the window's enabling refresh works per
// command.

namespace vesk::cmd {

inline constexpr int ContextCopy = 32771;        // text view menu: copy limited
inline constexpr int ContextSelectAll = 32772;   // text view menu: select all
inline constexpr int FullDisplay = 32774;        // hide / show the search pane
inline constexpr int PrintSetup = 32776;
inline constexpr int Print = 32777;
inline constexpr int SelectAll = 32778;
inline constexpr int PrevPage = 32780;
inline constexpr int NextPage = 32781;
inline constexpr int SliderPlace = 32787;        // toolbar place of the page slider
inline constexpr int PageIndicatorPlace = 32788; // toolbar place of the page indicator
inline constexpr int NextVolume = 32790;
inline constexpr int PrevVolume = 32791;
inline constexpr int Help = 32798;
inline constexpr int PrevResult = 32805;
inline constexpr int NextResult = 32806;
inline constexpr int Concordance = 32900;       // "用例一覧…": the concordance window
inline constexpr int ExportResults = 32901;     // the result list written to a file
inline constexpr int ContextCopyCited = 32902;  // text view menu: copy with the reference
inline constexpr int FilePrintStandard = 57607;  // Ctrl+P: print with the print dialog
inline constexpr int FilePrintDirect = 57608;
inline constexpr int Copy = 57634;
inline constexpr int About = 57664;
inline constexpr int Exit = 57665;
inline constexpr int NextPane = 57680;           // F6
inline constexpr int PrevPane = 57681;           // Shift+F6
inline constexpr int ViewToolbar = 59392;
inline constexpr int ViewStatusBar = 59393;
// Data folders (File menu).
inline constexpr int OpenDataFolder = 33001;     // "データフォルダを開く…"
inline constexpr int ImportTexts = 33002;        // "テキストを取り込む…"

} // namespace vesk::cmd
