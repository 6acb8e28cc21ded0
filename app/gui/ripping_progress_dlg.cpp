// The ripping-progress window.
#include "app/gui/ripping_progress_dlg.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <filesystem>

#include "app/event_log.h"
#include "app/gui/gui_port.h"
#include "app/gui/log_dlg.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/toolbar_art.h"
#include "platform/desktop_open.h"
#include "res/ripping_progress_dialog.h"
#include "ui/core/text_fit.h"

namespace {

constexpr const char* kOpenDirText = "Open Dir";
constexpr const char* kFinishText = "Finish";

// The job's messages as window messages; the payload travels by value in the
// event, so nothing is left to free when an event is dropped.
ui::WPARAM WParamOf(const RipMessage& m) {
  return m.id == WM_RIP_STATUS ? static_cast<ui::WPARAM>(m.target) : 0;
}
ui::LPARAM LParamOf(const RipMessage& m) { return m.id == WM_RIP_LOG ? m.level : 0; }

// `text` as it fits `label`'s width: a long destination loses the middle of
// its path and keeps the file name.
std::string FitToLabel(const wxWindow* label, const std::string& text) {
  if (label == nullptr) return text;
  return FitTextToWidth(text, label->GetClientSize().x, [label](std::string_view s) {
    return label->GetTextExtent(wxString::FromUTF8(s.data(), s.size())).x;
  });
}

}  // namespace

// The job's sink: hands each message to the window's mailbox.
class CRippingProgressDlg::MailboxSink : public IRipMessageSink {
 public:
  explicit MailboxSink(std::shared_ptr<ui::Mailbox> mailbox) : mailbox_(std::move(mailbox)) {}

  void PostRipMessage(const RipMessage& m) override { mailbox_->Post(m.id, WParamOf(m), LParamOf(m), m); }

  bool SendRipMessage(const RipMessage& m, const std::function<bool()>& stopRequested) override {
    return mailbox_->Send(m.id, WParamOf(m), LParamOf(m), m, stopRequested).has_value();
  }

 private:
  std::shared_ptr<ui::Mailbox> mailbox_;
};

const ui::MapRow<CRippingProgressDlg> CRippingProgressDlg::kMessageMap[] = {
    // The close box, Escape and "Cancel"/"Finish" reach OnCancel through the
    // base's IDCANCEL handling.
    ui::OnBnClicked(res::IDC_RIP_PAUSE, &CRippingProgressDlg::OnPauseButton),
    ui::OnBnClicked(res::IDC_RIP_LOG, &CRippingProgressDlg::OnLogButton),
    ui::OnMessage(WM_RIP_LOG, &CRippingProgressDlg::OnRipLog),
    ui::OnMessage(WM_RIP_STATUS, &CRippingProgressDlg::OnRipStatus),
    ui::OnMessage(WM_RIP_FINISHED, &CRippingProgressDlg::OnRipFinished),
    ui::OnMessage(WM_RIP_PROGRESS, &CRippingProgressDlg::OnRipProgress),
    ui::OnWmDestroy(&CRippingProgressDlg::OnDestroy),
    ui::OnWmTimer(&CRippingProgressDlg::OnTimer),
    ui::OnWmSize(&CRippingProgressDlg::OnSize),
};

CRippingProgressDlg::CRippingProgressDlg(wxWindow* parent, std::vector<TrackData> tracks,
                                         RipJobSettings settings)
    : ui::CResizeDlg(res::kRippingProgressDialog, parent),
      mailbox_(std::make_shared<ui::Mailbox>(this)),
      sink_(std::make_unique<MailboxSink>(mailbox_)),
      job_(std::make_unique<CRippingProgress>(*sink_, std::move(settings), &AppEventLog())) {
  job_->TrackList = std::move(tracks);
  ui::BindMessageMap(this, kMessageMap);
}

CRippingProgressDlg::~CRippingProgressDlg() {
  // Later messages are dropped; a worker waiting for an answer gives up once
  // the job's threads are told to stop, which the job's end does.
  mailbox_->Detach();
  job_.reset();
  // No taskbar progress to clear on this platform.
}

bool CRippingProgressDlg::OnInitDialog() {
  ui::CResizeDlg::OnInitDialog();
  SetIcons(art::ProgramIcons());
  SetBar(res::IDC_RIP_TRACK_BAR, 0);
  SetBar(res::IDC_RIP_OVERALL_BAR, 0);
  AddControls(res::kRippingProgressAnchors);
  placementWindow_ = std::make_unique<WxPlacementWindow>(this, true);
  placement_.Load(*placementWindow_, kRippingProgressPlacementEntry, kPlacementSection);

  startResult_ = job_->Start();
  if (startResult_ == CRippingProgress::StartResult::Started) stateTimer_.Start(kStateCheckMs);
  switch (startResult_) {
    case CRippingProgress::StartResult::EncoderMissing:
      ShowMessageBox(this, "Error Loading Lame_enc.dll", "", MB_ICONERROR);
      break;
    case CRippingProgress::StartResult::EncoderIncomplete:
      ShowMessageBox(this, "Unable to Get LAME Interfaces");
      break;
    default:
      // Started, or refused with a log line of its own, or (no read buffer)
      // nothing to say. The taskbar progress has no counterpart here.
      break;
  }
  return true;
}

void CRippingProgressDlg::SetItemText(int id, const std::string& text) {
  auto* control = GetDlgItem(id);
  if (control == nullptr) return;
  const wxString label = wxString::FromUTF8(text);
  // Only a change is drawn: the percents change ten times a second.
  if (auto* staticText = dynamic_cast<wxStaticText*>(control)) {
    if (staticText->GetLabelText() != label) staticText->SetLabelText(label);
  } else if (control->GetLabel() != label) {
    control->SetLabel(label);
  }
}

void CRippingProgressDlg::SetBar(int id, int position) {
  if (auto* bar = GetDlgItemAs<wxGauge>(id)) {
    if (bar->GetRange() != 100) bar->SetRange(100);
    if (bar->GetValue() != position) bar->SetValue(position);
  }
}

ui::LRESULT CRippingProgressDlg::OnRipProgress(ui::UiMessageEvent& event) {
  const RipMessage* m = event.Payload<RipMessage>();
  // Progress that arrives once the job is over (cancelled, failed) is stale.
  if (m == nullptr || !job_->Running) return 1;
  const bool tenth = RipProgressMessageCounter().Count();
  const RipProgressView view =
      ComputeRipProgressView(job_->ProgressInput(m->trackPercent, m->overallPercent), tenth);
  SetItemText(res::IDC_RIP_TRACK_PERCENT, view.trackPercentText);
  SetBar(res::IDC_RIP_TRACK_BAR, view.trackBar);
  SetItemText(res::IDC_RIP_OVERALL_PERCENT, view.overallPercentText);
  SetBar(res::IDC_RIP_OVERALL_BAR, view.overallBar);
  if (view.timesUpdated) {
    SetItemText(res::IDC_RIP_TRACK_ELAPSED, view.trackElapsed);
    if (view.trackEta) SetItemText(res::IDC_RIP_TRACK_ETA, *view.trackEta);
    SetItemText(res::IDC_RIP_OVERALL_ELAPSED, view.overallElapsed);
    if (view.overallEta) SetItemText(res::IDC_RIP_OVERALL_ETA, *view.overallEta);
    SetItemText(res::IDC_RIP_TRACK_SPEED, view.trackSpeed);
    SetItemText(res::IDC_RIP_OVERALL_SPEED, view.overallSpeed);
    // The taskbar value (view.taskbarValue) has no counterpart here.
  }
  return 1;
}

ui::LRESULT CRippingProgressDlg::OnRipLog(ui::UiMessageEvent& event) {
  const RipMessage* m = event.Payload<RipMessage>();
  if (m == nullptr) return 0;
  if (MainDialog != nullptr) {
    MainDialog->AddLog(m->text, m->level);
  } else {
    AppEventLog().AddLog(m->text, m->level);
  }
  if (m->level > LogError) {
    SetTitle(wxString::FromUTF8(m->text));
  } else if (m->level == LogError && !job_->Running) {
    // An error that ended the job. One the job survived (a read that worked
    // on a later try) leaves Pause and Cancel, which still do what they say.
    ShowJobOver();
  }
  return 1;
}

ui::LRESULT CRippingProgressDlg::OnRipStatus(ui::UiMessageEvent& event) {
  const RipMessage* m = event.Payload<RipMessage>();
  if (m == nullptr) return 0;
  if (m->target == kRipStatusLine) {
    statusLine_ = m->text;
    ShowStatusLine();
  } else if (m->target == kRipStatusCaption) {
    SetTitle(wxString::FromUTF8(m->text));
  }
  return 1;
}

void CRippingProgressDlg::OnSize(unsigned type, int cx, int cy) {
  ui::CResizeDlg::OnSize(type, cx, cy);
  ShowStatusLine();  // a wider label shows more of the path, a narrower one less
}

void CRippingProgressDlg::ShowStatusLine() {
  SetItemText(res::IDC_RIP_STATUS, FitToLabel(GetDlgItem(res::IDC_RIP_STATUS), statusLine_));
}

ui::LRESULT CRippingProgressDlg::OnRipFinished(ui::UiMessageEvent&) {
  job_->OnRipFinished();
  for (int id : {res::IDC_RIP_TRACK_PERCENT, res::IDC_RIP_OVERALL_PERCENT})
    SetItemText(id, FormatPercent(100.0f));
  SetBar(res::IDC_RIP_TRACK_BAR, 100);
  SetBar(res::IDC_RIP_OVERALL_BAR, 100);
  SetItemText(res::IDC_RIP_TRACK_ETA, FormatElapsed(0));
  SetItemText(res::IDC_RIP_OVERALL_ETA, FormatElapsed(0));
  ShowJobOver();
  SetTitle("Finished Copying");
  AppEventLog().AddLog("Finished copying!", LogInfo);
  return 1;
}

void CRippingProgressDlg::ShowJobOver() {
  stateTimer_.Stop();
  SetItemText(res::IDC_RIP_PAUSE, kOpenDirText);
  SetItemText(IDCANCEL, kFinishText);
}

void CRippingProgressDlg::OnTimer(unsigned timerId) {
  // A job that an error or a missing disc stopped: its last lines may have
  // been shown before it cleared Running.
  if (timerId == kStateTimer && !job_->Running && !job_->Cancelled) ShowJobOver();
}

void CRippingProgressDlg::OnPauseButton() {
  if (!job_->Running) {
    OpenOutputFolder();
    return;
  }
  // The taskbar's paused and normal states have no counterpart here.
  SetItemText(res::IDC_RIP_PAUSE, job_->TogglePause() ? "Resume" : "Pause");
}

std::string CRippingProgressDlg::OutputFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
  std::error_code ignored;
  // Absolute, so that no folder name is ever taken for an option.
  const std::filesystem::path absolute = std::filesystem::absolute(folder, ignored);
  return absolute.empty() ? folder : absolute.string();
}

void CRippingProgressDlg::OpenOutputFolder() {
  const std::string folder = OutputFolderOf(job_->LastOutputPath());
  if (folder.empty()) return;  // nothing was written: there is no folder to show
  // The desktop's file manager, given the folder as one argument; no shell
  // ever sees the name.
  OpenWithDesktopHandler(folder);
}

void CRippingProgressDlg::OnCancel() {
  if (asking_) return;
  if (job_->Running) {
    // The writer waits while the question is open; No leaves the job exactly
    // as it was, paused or not.
    const int wasPaused = job_->Paused;
    job_->Paused = 1;
    asking_ = true;
    const int answer = ShowMessageBox(this, "Do You Want to Cancel?", "", MB_YESNO);
    asking_ = false;
    if (answer != IDYES) {
      job_->Paused = wasPaused;
      return;
    }
    StopJob();
  }
  EndDialog(0);
}

void CRippingProgressDlg::StopJob() {
  // The taskbar's indeterminate state has no counterpart here.
  if (auto* pause = GetDlgItem(res::IDC_RIP_PAUSE)) pause->Disable();
  if (auto* cancel = GetDlgItem(IDCANCEL)) cancel->Disable();
  SetTitle("Aborting, Please Wait...");
  stateTimer_.Stop();
  job_->Cancel();
}

void CRippingProgressDlg::CancelForSessionEnd() {
  if (job_->Running) StopJob();
}

void CRippingProgressDlg::OnLogButton() {
  if (MainDialog == nullptr) return;
  // Beside this window, not over its buttons; usable while the rip runs.
  if (CLogDlg* log = MainDialog->MakeLogWindow()) log->ShowBeside(*this);
}

void CRippingProgressDlg::OnDestroy() {
  if (placementWindow_) placement_.Save(*placementWindow_, kRippingProgressPlacementEntry, kPlacementSection);
}

int RunRippingProgress(wxWindow* parent, std::vector<TrackData> tracks, RipJobSettings settings) {
  CRippingProgressDlg dialog(parent, std::move(tracks), std::move(settings));
  return dialog.DoModal();
}
