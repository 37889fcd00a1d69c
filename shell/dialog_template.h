// The main window's controls in template order (also the tab and stacking order), with their
// places in dialog units, texts and start states, and how each follows the window when it grows.
#pragma once

#include <array>
#include <string_view>

#include "shell/control_ids.h"

enum class ControlKind {
    Label,    // static text
    Field,    // static text with a sunken edge: the disk fields
    Radio,    // a view button
    Edit,     // single-line edit
    List,     // the file list
    Browser,  // the browser pane
    Pane,     // a text pane
    Button,   // push button
};

// How a control follows the window's growth dW, dH: it moves right or down, or grows wider or
// taller, by the growth (each 0 or 1). The list and the panes share the width: the divider
// between them moves by a split S (the list grows by S, the panes lose it), and the controls
// above and below each follow their side: they move right or grow wider by S (each -1, 0 or 1),
// or, for the disk fields over a list narrower than at start, by the negative part of S alone.
struct Anchoring {
    int moveRight, moveDown, growWider, growTaller;
    int splitMove = 0, splitGrow = 0;
    bool splitShrinkOnly = false;
};

inline constexpr Anchoring kFixed{0, 0, 0, 0};
inline constexpr Anchoring kFollowRight{1, 0, 0, 0};
inline constexpr Anchoring kGrowDown{0, 0, 0, 1};
inline constexpr Anchoring kGrowBoth{0, 0, 1, 1};
inline constexpr Anchoring kFollowBottom{0, 1, 0, 0};
inline constexpr Anchoring kBottomGrowWider{0, 1, 1, 0};
// The disk name field gives up width to a narrower list; the fields after it move with it.
inline constexpr Anchoring kShrinkWithList{0, 0, 0, 0, 0, 1, true};
inline constexpr Anchoring kMoveWithShrinkingList{0, 0, 0, 0, 1, 0, true};
// The list's width is the split's; the view buttons follow the divider.
inline constexpr Anchoring kListWithSplit{0, 0, 0, 1, 0, 1};
inline constexpr Anchoring kFollowSplit{0, 0, 0, 0, 1, 0};
// The panes begin at the divider.
inline constexpr Anchoring kPaneWithSplit{0, 0, 1, 1, 1, -1};
// The bottom row: the status line and Revert with the list, the search box with the panes.
inline constexpr Anchoring kBottomGrowWithSplit{0, 1, 0, 0, 0, 1};
inline constexpr Anchoring kBottomFollowSplit{0, 1, 0, 0, 1, 0};
inline constexpr Anchoring kSearchWithSplit{0, 1, 1, 0, 1, -1};

struct ControlTemplate {
    ControlId id;
    ControlKind kind;
    std::string_view text;
    int x, y, width, height;  // dialog units
    bool visible;
    bool enabled;
    Anchoring anchoring;
};

// clang-format off
inline constexpr std::array<ControlTemplate, 25> MainWindowTemplate = {{
    {IDC_NONE,           ControlKind::Label,   "Name",          7,   10,  19,  8,   true,  true,  kFixed},
    {IDC_DISK_NAME,      ControlKind::Field,   "",              32,  7,   111, 13,  true,  true,  kShrinkWithList},
    {IDC_NONE,           ControlKind::Label,   "ID/Type",       155, 9,   27,  8,   true,  true,  kMoveWithShrinkingList},
    {IDC_DISK_ID,        ControlKind::Field,   "",              190, 7,   16,  13,  true,  true,  kMoveWithShrinkingList},
    {IDC_DOS_TYPE,       ControlKind::Field,   "",              212, 7,   16,  13,  true,  true,  kMoveWithShrinkingList},
    {IDC_NONE,           ControlKind::Label,   "Blocks",        239, 9,   20,  8,   true,  true,  kMoveWithShrinkingList},
    {IDC_BLOCKS_FREE,    ControlKind::Field,   "0",             265, 7,   32,  13,  true,  true,  kMoveWithShrinkingList},
    {IDC_RADIO_BASIC,    ControlKind::Radio,   "BASIC",         307, 8,   36,  10,  true,  true,  kFollowSplit},
    {IDC_RADIO_ASSEMBLY, ControlKind::Radio,   "Assembly",      349, 8,   46,  10,  true,  true,  kFollowSplit},
    {IDC_RADIO_HEX,      ControlKind::Radio,   "HEX/ASCII",     401, 8,   50,  10,  true,  true,  kFollowSplit},
    {IDC_RADIO_PETSCII,  ControlKind::Radio,   "PETSCII",       457, 8,   42,  10,  true,  true,  kFollowSplit},
    {IDC_RADIO_SCRCODE,  ControlKind::Radio,   "ScrCode",       505, 8,   43,  10,  true,  true,  kFollowSplit},
    {IDC_START_ADDRESS,  ControlKind::Edit,    "0",             586, 8,   40,  14,  true,  false, kFollowRight},
    {IDC_FILE_LIST,      ControlKind::List,    "",              7,   25,  289, 375, true,  true,  kListWithSplit},
    {IDC_BROWSER,        ControlKind::Browser, "",              307, 26,  322, 372, true,  true,  kPaneWithSplit},
    {IDC_SCRCODE,        ControlKind::Pane,    "",              307, 26,  322, 372, false, true,  kPaneWithSplit},
    {IDC_HEX,            ControlKind::Pane,    "",              307, 26,  322, 372, false, true,  kPaneWithSplit},
    {IDC_PETSCII,        ControlKind::Pane,    "",              307, 26,  322, 372, false, true,  kPaneWithSplit},
    {IDC_ASSEMBLY,       ControlKind::Pane,    "",              307, 26,  322, 372, false, true,  kPaneWithSplit},
    {IDC_DEFAULT_BUTTON, ControlKind::Button,  "Button1",       277, 185, 50,  14,  false, true,  kFixed},
    {IDC_NONE,           ControlKind::Label,   "Status:",       7,   411, 26,  8,   true,  true,  kFollowBottom},
    {IDC_STATUS,         ControlKind::Label,   "",              37,  411, 180, 8,   true,  true,  kBottomGrowWithSplit},
    {IDC_REVERT,         ControlKind::Button,  "Revert",        246, 407, 50,  14,  true,  true,  kBottomFollowSplit},
    {IDC_SEARCH,         ControlKind::Edit,    "<search term>", 339, 408, 286, 13,  true,  false, kSearchWithSplit},
    {IDC_NONE,           ControlKind::Label,   "Search:",       309, 410, 26,  8,   true,  true,  kBottomFollowSplit},
}};
// clang-format on

// The window's client area and its font, in dialog units and points.
inline constexpr int kTemplateWidth = 637;
inline constexpr int kTemplateHeight = 428;
inline constexpr int kTemplateFontPoints = 9;
