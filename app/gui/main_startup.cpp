// The main window's start-up: everything the program does between its start
// and "Initialization finished.", in order. The disc worker starts with the
// drive selection and may refresh the disc while the last steps still run.
#include <fmt/printf.h>
#include <portaudio.h>
#include <wx/app.h>
#include <wx/menu.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <stdexcept>

#include "app/album_lookup.h"
#include "app/drives.h"
#include "app/genre_names.h"
#include "app/main_commands.h"
#include "app/gui/about_dlg.h"
#include "app/gui/edit_cd.h"
#include "app/gui/font_scale.h"
#include "app/gui/freedb_choice.h"
#include "app/gui/log_dlg.h"
#include "app/gui/main_menus.h"
#include "app/gui/options_sheet.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/tip_dlg.h"
#include "app/gui/toolbar_art.h"
#include "app/settings.h"
#include "cddb/freedb_server.h"
#include "platform/folders.h"
#include "res/main_dialog.h"
#include "rip/ripping_progress.h"
#include "ui/control_rect.h"
#include "ui/core/profile_store.h"

namespace {

constexpr int kPlayerSectors = 27;
constexpr const char* kLocalCDDBFolderName = "Local CDDB";

// Thrown for a step that cannot go on; the start-up reports it as a failure
// to initialise.
struct StartupFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Track-list columns: heading, alignment, width.
struct Column {
  const char* heading;
  wxListColumnFormat format;
  int width;
};
constexpr Column kTrackColumns[] = {
    {"     #", wxLIST_FORMAT_CENTRE, 48},     {"Title", wxLIST_FORMAT_LEFT, 228},
    {"Type", wxLIST_FORMAT_CENTRE, 90},       {"Start", wxLIST_FORMAT_CENTRE, 80},
    {"Duration", wxLIST_FORMAT_CENTRE, 70},   {"Status", wxLIST_FORMAT_CENTRE, 65},
    {"Destination", wxLIST_FORMAT_LEFT, 350},
};

// The rows the list keeps in sight when the window shrinks.
constexpr int kMinTrackListRows = 4;

// The smallest client area of the main window: the fixed controls (the
// drive and player groups) whole, with the list's left margin on their right
// as well, and the list at `listHeight` with its distance to the bottom edge
// (the status bar) kept.
wxSize MainMinClientSize(const wxWindow* surface, const wxWindow* list, int listHeight,
                         std::initializer_list<const wxWindow*> acrossTheWindow) {
  int right = 0;
  for (const wxWindow* child : surface->GetChildren()) {
    if (child == list || !child->IsShown() || std::ranges::count(acrossTheWindow, child) > 0) continue;
    right = std::max(right, child->GetRect().GetRight() + 1);
  }
  const wxRect r = list->GetRect();
  const int below = surface->GetClientSize().y - (r.GetBottom() + 1);
  return {std::max(right, r.x + ui::ControlMinSize(list).x) + r.x, r.y + listHeight + below};
}

}  // namespace

bool CQuarnoCDRipperDlg::OnInitDialog() {
  ui::CResizeFrameDlg::OnInitDialog();
  MainWindowMarked = true;  // a second copy may now raise this window
  placementWindow_ = std::make_unique<WxPlacementWindow>(this, false);
  signalTimer_.Start(kSignalPollMs);  // the session may end at any time from here on
  SetIcons(art::ProgramIcons());
  // No taskbar progress exists on this platform.
  FillGenreNames();
  SetCommandWindows({
      .about = [] { CAboutDlg().DoModal(); },
      .tipOfTheDay = [this] { CTipDlg(this).DoModal(); },
      .albumEditor = [] { CEditCD(nullptr).DoModal(); },
      .options = [this] { RunOptionsSheet(*this); },
  });
  if (!CreateBars()) return false;
  StartFolders();
  StartSettingsAndLog();
  // A session that ended while a start-up message box was open ends the
  // program once the box has returned: the rest of the start-up must not run.
  if (ExitInProgress.load() != 0 || SessionEnding.load()) return true;
  MainDialog = this;
  std::string notice;
  ServerList.push_back(DefaultFreeDBServer(&notice));
  if (!notice.empty()) AddLog(notice, LogError);
  worker_ = std::make_unique<DiscWorker>(*port_);
  worker_->SetAlbumLookup(
      [chooser = std::make_shared<CGuiMatchChooser>(mailbox_)](MainWindowPort& port, std::stop_token stop) {
        LookupAlbum(port, *chooser, stop);
      });
  // A failure from here to the tip timer leaves the window as far as it got.
  try {
    if (!StartDrives()) return true;  // the no-drive end
    PlayerSectorBuffer = AllocSectorBuffer(kPlayerSectors);
    if (PlayerSectorBuffer == nullptr) return false;
    CheckSoundDevice();
    if (ExitInProgress.load() != 0 || SessionEnding.load()) return true;
    SetPlayer(MakeEnginePlayer(std::make_unique<PortAudioOutput>()));
    SetUpTrackList();
    volumeSlider_->SetToolTip(fmt::sprintf("Volume: %d", static_cast<int>(Volume)));
    SelectStartDrive(driveCount_);  // the disc worker starts refreshing here
    seekSlider_->SetRange(0, 1000);
    volumeSlider_->SetRange(0, 100);
    volumeSlider_->SetValue(static_cast<int>(Volume));
    CurrentItem = 0;
    UpdateFormatStatus();
    tipTimer_.StartOnce(kTipDelayMs);
  } catch (const std::exception&) {
    ShowMessageBox(this, "Fail to Initialize! ", "", MB_ICONERROR);
    AddLog("Fail to initialize!!", LogFatal);
    return true;
  }
  // Only the track list follows the window's size.
  FitTrackListToWindow();
  AddControl(res::IDC_TRACK_LIST, ResizeStretch, ResizeStretch, ResizeStretch, ResizeStretch, 0, -1.0, -1.0,
             -1.0, -1.0);
  const wxSize client = Surface()->GetClientSize();
  LayoutBars(client.x, client.y);
  // Shrinking stops where the groups would be cut or the list would lose its rows.
  const int listHeight =
      std::max(TrackListHeightForRows(kMinTrackListRows), ui::ControlMinSize(trackList_).y);
  SetMinClientArea(MainMinClientSize(Surface(), trackList_, listHeight, {statusBar_, toolBarBand_}));
  UpdateFormatButton();
  CreateRipRings();
  mainPlacement_.Load(*placementWindow_, kMainWindowPlacementEntry, kPlacementSection);
  AddLog("Initialization finished.", LogInfo);
  return true;
}

bool CQuarnoCDRipperDlg::CreateBars() {
  seekSlider_ = GetDlgItemAs<wxSlider>(res::IDC_SEEK_SLIDER);
  volumeSlider_ = GetDlgItemAs<wxSlider>(res::IDC_VOLUME_SLIDER);
  timeLabel_ = GetDlgItemAs<wxStaticText>(res::IDC_TIME_LABEL);
  trackList_ = GetDlgItemAs<wxListCtrl>(res::IDC_TRACK_LIST);
  driveCombo_ = GetDlgItemAs<wxChoice>(res::IDC_DRIVE_COMBO);
  seekSlider_->SetExtraStyle(seekSlider_->GetExtraStyle() | wxWS_EX_PROCESS_UI_UPDATES);
  if (!CreateStatusBar()) {
    ShowMessageBox(this, "Failed to create status bar!");
    return false;
  }
  // No band around the toolbar: it spans the window by itself.
  if (!CreateMainToolBar()) {
    ShowMessageBox(this, "Failed to create toolbar!");
    return false;
  }
  // The menu bar sits outside the client area: keep the template's client size.
  const wxSize client = GetClientSize();
  SetMenuBar(mainmenu::BuildMenuBar(*res::FindMenu(res::IDR_MAINFRAME_MENU)));
  SetClientSize(client);
  SetAcceleratorTable(mainmenu::BuildAccelerators());
  // The toolbar's Format button replaces the File menu's Format item.
  wxMenu* file = GetMenuBar()->GetMenu(0);
  if (file->GetMenuItemCount() > 3) file->Destroy(file->FindItemByPosition(3));
  if (!CreatePlayerToolBar()) {
    ShowMessageBox(this, "Failed to create player toolbar!");
    return false;
  }
  return true;
}

void CQuarnoCDRipperDlg::StartFolders() {
  ProgramFolder = GetProgramFolder();
  DesDir = GetMusicFolder();  // the settings may replace it
  DataFolder = GetDataFolder();
  LocalCDDBDir = DataFolder + kPathSeparator + kLocalCDDBFolderName;
  if (!PathFileExists(LocalCDDBDir) && !CreateFolderPath(LocalCDDBDir)) {
    ShowMessageBox(this, fmt::sprintf("Fail to create folder %s !!", LocalCDDBDir));
  }
  // The profile (window placements) lives beside the settings, named after
  // the program file.
  AppProfile().SetPath(DataFolder + kPathSeparator +
                       ProfileStore::FileNameFor(wxTheApp->GetAppName().utf8_string()));
}

void CQuarnoCDRipperDlg::StartSettingsAndLog() {
  const std::string ini = SettingsFilePath();
  HeldLogLines held;  // the log opens only once the settings say how
  if (PathFileExists(ini)) {
    LoadSettings(&held, [this](const std::string& text) { ShowMessageBox(this, text, "", MB_ICONERROR); });
  } else {
    std::ofstream created(ini, std::ios::out | std::ios::app);
  }
  StartTime = std::time(nullptr);
  OpenRunLog(AppEventLog(), StartTime, port_.get(), held);
}

bool CQuarnoCDRipperDlg::StartDrives() {
  DriveEnumeration drives;
  try {
    drives = EnumerateDrives(*port_);
  } catch (const std::exception&) {
    drives.Found = false;
  }
  if (!drives.Found) {
    // The enumeration has logged and shown the no-drive end; nothing is saved.
    exitCode_ = 1;
    EndDialog(1);
    return false;
  }
  driveCount_ = static_cast<int>(drives.ComboLines.size());
  driveCombo_->Clear();
  wxMenu* menu = DrivesMenu();
  for (size_t i = 0; i < drives.ComboLines.size(); ++i) {
    driveCombo_->Append(wxString::FromUTF8(drives.ComboLines[i]));
    if (menu != nullptr && i < drives.MenuItems.size() &&
        res::ID_DRIVE_FIRST + static_cast<int>(i) <= res::ID_DRIVE_LAST) {
      menu->AppendRadioItem(ui::WxId(res::ID_DRIVE_FIRST + static_cast<int>(i)),
                            wxString::FromUTF8(drives.MenuItems[i]));
    }
  }
  driveCount_ = std::min(driveCount_, res::ID_DRIVE_LAST - res::ID_DRIVE_FIRST + 1);
  return true;
}

void CQuarnoCDRipperDlg::CheckSoundDevice() {
  QuietSoundLibraries();
  PaError result = Pa_Initialize();
  auto logError = [this](PaError error) {
    AddLog("An error occurred while using the stream.", LogError);
    AddLog(fmt::sprintf("Error number: %d    Error message: %s.", static_cast<int>(error),
                        Pa_GetErrorText(error)),
           LogError);
  };
  if (result != paNoError) {
    Pa_Terminate();
    logError(result);
  }
  const auto devices = static_cast<int16_t>(Pa_GetDeviceCount());
  int outputs = 0;
  for (int i = 0; i < devices; ++i) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
    if (info != nullptr && info->maxOutputChannels > 0) ++outputs;
  }
  if (devices <= 0 || outputs == 0) {
    SoundAvailable = 0;
    ShowMessageBox(this, "Warning: No Sound Device Found!", "", MB_ICONERROR);
    AddLog("Warning: No sound device found!", LogError);
  }
  PaStreamParameters output{};
  output.device = Pa_GetDefaultOutputDevice();
  output.channelCount = 2;
  output.sampleFormat = paInt16;
  output.suggestedLatency = 0.0;
  // A missing device is reported as unsupported without asking the library.
  result = output.device == paNoDevice ? paInvalidDevice : Pa_IsFormatSupported(nullptr, &output, 44100.0);
  if (result != paFormatIsSupported) {
    SoundAvailable = 0;
    ShowMessageBox(this, "Warning: Your Sound Card does NOT Support 16 Bit STEREO 44100Hz Output Mode!", "",
                   MB_ICONERROR);
    AddLog("Warning: Your sound card does NOT support 16 Bit STEREO 44100Hz output mode!", LogError);
  }
}

void CQuarnoCDRipperDlg::SetUpTrackList() {
  trackList_->EnableCheckBoxes(true);
  BindTrackListMouse();
  for (size_t i = 0; i < std::size(kTrackColumns); ++i) {
    const Column& column = kTrackColumns[i];
    trackList_->InsertColumn(static_cast<long>(i), column.heading, column.format,
                             ScaleForFont(BaseUnits(), column.width));
  }
}

void CQuarnoCDRipperDlg::SelectStartDrive(int drivesFound) {
  const int selection = SelectInitialDrive(*port_, *worker_, drivesFound);
  if (selection >= 0 && selection < static_cast<int>(driveCombo_->GetCount())) {
    driveCombo_->SetSelection(selection);
  }
  if (wxMenu* menu = DrivesMenu()) {
    if (wxMenuItem* placeholder = menu->FindItem(ui::WxId(res::ID_FILE_NODRIVE))) menu->Destroy(placeholder);
  }
  CheckDriveItem(selection);
  // A media change stops the player first, which only the GUI thread may do.
  poller_ = std::make_unique<MediaPoller>([mailbox = mailbox_](bool arrival) {
    mailbox->Post(WM_MAIN_WINDOW_CALL, 0, 0,
                  MainWindowCall([arrival](CQuarnoCDRipperDlg& window) { window.OnMediaChange(arrival); }));
  });
}

void CQuarnoCDRipperDlg::FitTrackListToWindow() {
  // A display smaller than the template shrinks the window: keep the list's
  // right and bottom margins inside it before its anchors are registered.
  const wxSize client = Surface()->GetClientSize();
  const ui::DialogItem* item = ui::FindDialogItem(res::kMainDialog, res::IDC_TRACK_LIST);
  if (item == nullptr) return;
  const wxRect margins = ui::MapDialogRect(BaseUnits(), 0, 0, res::kMainDialog.cx - item->x - item->cx,
                                           res::kMainDialog.cy - item->y - item->cy);
  wxRect rect = trackList_->GetRect();
  rect.width = std::min(rect.width, client.x - margins.width - rect.x);
  rect.height = std::min(rect.height, client.y - margins.height - rect.y);
  if (rect != trackList_->GetRect() && rect.width > 0 && rect.height > 0) trackList_->SetSize(rect);
}
