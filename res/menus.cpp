// The menus and the accelerator table of the main window.
#include "res/main_dialog.h"

namespace res {

namespace {

using K = MenuItemKind;

constexpr MenuItem kSeparator{K::Separator, "", 0, {}};

constexpr MenuItem kDrives[] = {
    {K::Command, "No Drive", ID_FILE_NODRIVE, {}},
};

constexpr MenuItem kFile[] = {
    {K::Popup, "Drive(s)", 0, kDrives},
    {K::Command, "ViewLog", ID_FILE_VIEWLOG, {}},
    {K::Command, "Exit", ID_FILE_EXIT, {}},
    {K::Command, "Format", ID_FORMAT_BUTTON, {}},
};

constexpr MenuItem kEdit[] = {
    {K::Command, "Check All", ID_EDIT_CHECKALL, {}},
    {K::Command, "Uncheck All", ID_EDIT_UNCHECKALL, {}},
    {K::Command, "Reverse Check", ID_EDIT_REVERSECHECK, {}},
    kSeparator,
    {K::Command, "Edit CD Info\tCtrl+E", ID_EDIT_CDINFO, {}},
};

constexpr MenuItem kPlay[] = {
    {K::Command, "First", ID_PLAY_FIRST, {}},
    {K::Command, "Previous", ID_PLAY_PREVIOUS, {}},
    {K::Command, "Play\tCtrl+P ", ID_PLAY_PLAY, {}},
    {K::Command, "Pause/Resume", ID_PLAY_PAUSE, {}},
    {K::Command, "Stop\tCtrl+S", ID_PLAY_STOP, {}},
    {K::Command, "Next", ID_PLAY_NEXT, {}},
    {K::Command, "Last", ID_PLAY_LAST, {}},
    kSeparator,
    {K::Command, "Eject Tray", ID_PLAY_EJECT, {}},
    {K::Command, "Close Tray", ID_PLAY_CLOSETRAY, {}},
    kSeparator,
    {K::Command, "Refresh Disc\tF5", ID_PLAY_REFRESH, {}},
};

constexpr MenuItem kOperation[] = {
    {K::Command, "Rip\tCtrl+F3", ID_OPERATION_RIP, {}},
    {K::Command, "Options\tCtrl+O", ID_OPERATION_OPTIONS, {}},
};

constexpr MenuItem kSupport[] = {
    {K::Command, "Email Support", ID_HELP_EMAILSUPPORT, {}},
    {K::Command, "Online Support", ID_HELP_ONLINESUPPORT, {}},
};

constexpr MenuItem kHelp[] = {
    {K::Command, "Help Contents\tF1", ID_HELP_CONTENTS, {}},
    {K::Command, "Tip of the Day", ID_HELP_TIPOFTHEDAY, {}},
    kSeparator,
    {K::Command, "Download", ID_HELP_DOWNLOAD, {}},
    {K::Popup, "Support", 0, kSupport},
    kSeparator,
    {K::Command, "About", ID_HELP_ABOUT, {}},
};

constexpr MenuItem kMainBar[] = {
    {K::Popup, "&File", 0, kFile},           {K::Popup, "&Edit", 0, kEdit},
    {K::Popup, "&Play", 0, kPlay},           {K::Popup, "&Operation", 0, kOperation},
    {K::Popup, "&Help", 0, kHelp},
};

constexpr MenuItem kTrackListItems[] = {
    {K::Command, "Play Current", ID_LIST_PLAYCURRENT, {}},
    {K::Command, "Stop", ID_PLAY_STOP, {}},
    kSeparator,
    {K::Command, "Rip Current", ID_OPERATION_RIPCURRENT, {}},
    {K::Command, "Rip", ID_OPERATION_RIP, {}},
    kSeparator,
    {K::Command, "Refresh", ID_PLAY_REFRESH, {}},
};
constexpr MenuItem kTrackListMenu[] = {{K::Popup, "", 0, kTrackListItems}};

constexpr MenuItem kFormatItems[] = {
    {K::Check, "WAV", ID_FORMAT_WAV, {}},
    {K::Check, "MP3", ID_FORMAT_MP3, {}},
    {K::Command, "More Formats?", ID_FORMAT_MORE, {}},
};
constexpr MenuItem kFormatMenu[] = {{K::Popup, "", 0, kFormatItems}};

constexpr MenuTable kMenus[] = {
    {IDR_MAINFRAME_MENU, kMainBar},
    {IDR_TRACKLIST_MENU, kTrackListMenu},
    {IDR_FORMAT_MENU, kFormatMenu},
};

constexpr Accelerator kAccelTable[] = {
    {true, 'E', ID_EDIT_CDINFO},          {true, 'O', ID_OPERATION_OPTIONS},
    {true, 'P', ID_PLAY_PLAY},            {true, 'S', ID_PLAY_STOP},
    {true, kKeyF1 + 1, ID_OPERATION_RIPCURRENT}, {true, kKeyF1 + 2, ID_OPERATION_RIP},
    {false, kKeyF1 + 4, ID_PLAY_REFRESH},
};

}  // namespace

const MenuTable* FindMenu(int id) {
  for (const MenuTable& menu : kMenus) {
    if (menu.id == id) return &menu;
  }
  return nullptr;
}

const std::span<const Accelerator> kAccelerators{kAccelTable};

}  // namespace res
