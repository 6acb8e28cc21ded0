// The ripping-progress window: a modal, resizable window over one rip job.
// It starts the job when it opens, shows what the job reports (per-track and
// overall percent, bars, speed, elapsed time and time left, the destination
// line, the caption), and offers Pause/Resume, Cancel, the log window and,
// once the job is over, opening the destination folder.
//
// The job (rip/ripping_progress.h) runs without a window; its threads reach
// this window only through its mailbox, so every control is touched on the
// GUI thread and a message that arrives after the window has gone is dropped.
#pragma once

#include <wx/timer.h>
#include <wx/window.h>

#include <memory>
#include <string>
#include <vector>

#include "rip/ripping_progress.h"
#include "ui/resize_dlg.h"
#include "ui/ui_message.h"
#include "ui/window_placement_store.h"

class CRippingProgressDlg : public ui::CResizeDlg {
 public:
  CRippingProgressDlg(wxWindow* parent, std::vector<TrackData> tracks, RipJobSettings settings);
  ~CRippingProgressDlg() override;

  CRippingProgress& Job() { return *job_; }
  // How the job's start went (Started until OnInitDialog has run).
  CRippingProgress::StartResult StartResult() const { return startResult_; }

  // The folder "Open Dir" opens: the part of `path` before its last '/',
  // made absolute; empty when the path names no folder.
  static std::string OutputFolderOf(const std::string& path);

  // The session ends: a running job stops as Cancel's Yes stops it, without
  // the question. The window itself is ended with the other open dialogs.
  void CancelForSessionEnd();

 protected:
  bool OnInitDialog() override;
  // Enter must not end a rip behind the user's back.
  void OnOK() override {}
  // Cancel, Finish, Escape and the close box: asks before stopping a running
  // job, then ends the dialog with 0.
  void OnCancel() override;

 private:
  class MailboxSink;

  // Cancel's Yes: the buttons off, "Aborting, Please Wait...", the job stopped.
  void StopJob();
  void OnPauseButton();
  void OnLogButton();
  ui::LRESULT OnRipLog(ui::UiMessageEvent& event);
  ui::LRESULT OnRipStatus(ui::UiMessageEvent& event);
  ui::LRESULT OnRipFinished(ui::UiMessageEvent& event);
  ui::LRESULT OnRipProgress(ui::UiMessageEvent& event);
  void OnDestroy();
  void OnTimer(unsigned timerId);
  // Lays the controls out and fits the destination line to its new width.
  void OnSize(unsigned type, int cx, int cy);
  void ShowStatusLine();

  void SetItemText(int id, const std::string& text);
  void SetBar(int id, int position);
  // "Open Dir" and "Finish" on the two buttons, once the job has ended.
  void ShowJobOver();
  void OpenOutputFolder();

  static const ui::MapRow<CRippingProgressDlg> kMessageMap[];

  std::shared_ptr<ui::Mailbox> mailbox_;
  std::unique_ptr<MailboxSink> sink_;  // outlives the job, whose threads post to it
  std::unique_ptr<CRippingProgress> job_;
  CRippingProgress::StartResult startResult_ = CRippingProgress::StartResult::Started;
  bool asking_ = false;  // the cancel question is open
  // The destination line whole; its label shows it cut to the label's width.
  std::string statusLine_;
  // Watches for a job that stopped without a message saying so, so that the
  // buttons always say what they do.
  static constexpr int kStateTimer = 1;
  static constexpr int kStateCheckMs = 250;
  wxTimer stateTimer_{this, kStateTimer};
  WindowPlacementStore placement_;
  std::unique_ptr<WxPlacementWindow> placementWindow_;
};

// Runs the ripping-progress window modally over a job of `tracks` with
// `settings`, and returns when the window closes (with 0, or -1 when the
// window could not be made).
int RunRippingProgress(wxWindow* parent, std::vector<TrackData> tracks, RipJobSettings settings);
