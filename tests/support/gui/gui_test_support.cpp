// Simulated input, event pumping and modal-dialog drivers for window tests.
#include "tests/support/gui/gui_test_support.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/radiobut.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace gui_test {

namespace {

constexpr int kPollMs = 10;
constexpr auto kPumpBound = std::chrono::seconds(20);
constexpr int kWatchdogPolls = 3000;  // 30 s at kPollMs

wxDialog* FindShownModal(const std::function<bool(wxDialog&)>& match) {
  for (wxWindow* w : wxTopLevelWindows) {
    auto* dlg = dynamic_cast<wxDialog*>(w);
    if (dlg != nullptr && dlg->IsModal() && dlg->IsShown() && !dlg->IsBeingDeleted() &&
        (!match || match(*dlg))) {
      return dlg;
    }
  }
  return nullptr;
}

// Polls for the dialog, runs the action once, then keeps watching until no
// modal dialog is left; deletes itself at the end.
class ModalDriver : public wxTimer {
 public:
  ModalDriver(std::function<void(wxDialog&)> action, std::function<bool(wxDialog&)> match)
      : action_(std::move(action)), match_(std::move(match)) {
    Start(kPollMs);
  }

  void Notify() override {
    if (++polls_ > kWatchdogPolls) {
      Expire();
      return;
    }
    if (!acted_) {
      wxDialog* dlg = FindShownModal(match_);
      if (dlg == nullptr) return;
      acted_ = true;
      action_(*dlg);
      return;
    }
    if (FindShownModal({}) == nullptr) Finish();
  }

 private:
  void Expire() {
    ADD_FAILURE() << (acted_ ? "a modal dialog stayed open after the test's action"
                             : "the expected modal dialog never appeared");
    if (wxDialog* dlg = FindShownModal({})) dlg->EndModal(kWatchdogResult);
    Finish();
  }
  void Finish() {
    Stop();
    wxTheApp->CallAfter([this] { delete this; });
  }

  std::function<void(wxDialog&)> action_;
  std::function<bool(wxDialog&)> match_;
  int polls_ = 0;
  bool acted_ = false;
};

}  // namespace

class NoModalExpected::Guard : public wxTimer {
 public:
  Guard() { Start(kPollMs); }
  void Notify() override {
    if (wxDialog* dlg = FindShownModal({})) {
      ADD_FAILURE() << "a modal dialog opened where none was expected";
      dlg->EndModal(kWatchdogResult);
    }
  }
};

NoModalExpected::NoModalExpected() : guard_(new Guard) {}
NoModalExpected::~NoModalExpected() { delete guard_; }

void WhenModalShown(std::function<void(wxDialog&)> action, std::function<bool(wxDialog&)> match) {
  new ModalDriver(std::move(action), std::move(match));
}

void PumpEvents() {
  for (int i = 0; i < 5; ++i) {
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);
  }
}

void PumpFrames() {
  constexpr int kFrames = 10;
  for (int i = 0; i < kFrames; ++i) {
    PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool PumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kPumpBound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void Click(wxWindow* control) {
  ASSERT_NE(control, nullptr);
  wxEventType type = wxEVT_BUTTON;
  int checked = 0;
  if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
    check->SetValue(!check->GetValue());
    type = wxEVT_CHECKBOX;
    checked = check->GetValue() ? 1 : 0;
  } else if (auto* radio = dynamic_cast<wxRadioButton*>(control)) {
    radio->SetValue(true);
    type = wxEVT_RADIOBUTTON;
    checked = 1;
  }
  wxCommandEvent event(type, control->GetId());
  event.SetEventObject(control);
  event.SetInt(checked);
  control->GetEventHandler()->ProcessEvent(event);
}

bool PressKey(wxWindow* target, int keyCode, bool ctrl, bool shift) {
  if (target == nullptr) {
    ADD_FAILURE() << "no window for the key";
    return false;
  }
  wxKeyEvent event(wxEVT_CHAR_HOOK);
  event.m_keyCode = keyCode;
  event.m_controlDown = ctrl;
  event.m_shiftDown = shift;
  event.SetEventObject(target);
  return target->GetEventHandler()->ProcessEvent(event);
}

void MouseDown(wxWindow* window) {
  ASSERT_NE(window, nullptr);
  wxMouseEvent event(wxEVT_LEFT_DOWN);
  const wxSize size = window->GetClientSize();
  event.m_x = size.x / 2;
  event.m_y = size.y / 2;
  event.m_leftDown = true;
  event.SetEventObject(window);
  window->GetEventHandler()->ProcessEvent(event);
}

wxImage DrawWindow(wxWindow* window) {
  // cairo and GTK are loaded with wx; looked up at run time so the tests
  // need no development headers of theirs.
  using SurfaceCreate = void* (*)(int format, int width, int height);
  using ContextCreate = void* (*)(void* surface);
  using WidgetDraw = void (*)(void* widget, void* context);
  using Release = void (*)(void*);
  using SurfaceData = unsigned char* (*)(void* surface);
  using SurfaceStride = int (*)(void* surface);
  auto create = reinterpret_cast<SurfaceCreate>(dlsym(RTLD_DEFAULT, "cairo_image_surface_create"));
  auto context = reinterpret_cast<ContextCreate>(dlsym(RTLD_DEFAULT, "cairo_create"));
  auto draw = reinterpret_cast<WidgetDraw>(dlsym(RTLD_DEFAULT, "gtk_widget_draw"));
  auto allocate = reinterpret_cast<Release>(dlsym(RTLD_DEFAULT, "gtk_container_check_resize"));
  auto destroyContext = reinterpret_cast<Release>(dlsym(RTLD_DEFAULT, "cairo_destroy"));
  auto flush = reinterpret_cast<Release>(dlsym(RTLD_DEFAULT, "cairo_surface_flush"));
  auto destroySurface = reinterpret_cast<Release>(dlsym(RTLD_DEFAULT, "cairo_surface_destroy"));
  auto data = reinterpret_cast<SurfaceData>(dlsym(RTLD_DEFAULT, "cairo_image_surface_get_data"));
  auto stride = reinterpret_cast<SurfaceStride>(dlsym(RTLD_DEFAULT, "cairo_image_surface_get_stride"));
  if (!create || !context || !draw || !allocate || !destroyContext || !flush || !destroySurface || !data ||
      !stride)
    return {};
  if (!PumpUntil([&] { return window->IsShownOnScreen(); })) return {};
  PumpFrames();
  // A size change still waiting for its layout (a busy machine may not
  // have reached it within the frames pumped) is laid out first: GTK draws
  // no widget whose allocation is pending.
  if (window->IsTopLevel()) allocate(window->GetHandle());
  const wxSize size = window->GetSize();
  constexpr int kArgb32 = 0;
  void* surface = create(kArgb32, size.x, size.y);
  void* cr = context(surface);
  draw(window->GetHandle(), cr);
  destroyContext(cr);
  flush(surface);
  wxImage image(size.x, size.y);
  const unsigned char* pixels = data(surface);
  const int rowBytes = stride(surface);
  for (int y = 0; y < size.y; ++y) {
    for (int x = 0; x < size.x; ++x) {
      const unsigned char* p = pixels + y * rowBytes + x * 4;  // B, G, R, A in memory
      image.SetRGB(x, y, p[2], p[1], p[0]);
    }
  }
  destroySurface(surface);
  return image;
}

bool SaveScreenshot(const wxImage& picture, const std::string& name) {
  if (!picture.IsOk()) return false;
  const std::filesystem::path path = std::filesystem::current_path() / "screenshots" / (name + ".png");
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  return picture.SaveFile(wxString::FromUTF8(path.string()), wxBITMAP_TYPE_PNG);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qcr-gui-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

RecordingXdgOpen::RecordingXdgOpen() {
  const char* path = std::getenv("PATH");
  oldPath_ = path != nullptr ? path : "";
  // Written whole, then renamed: a reader never sees half a record.
  std::ofstream(dir_ / "xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << (dir_ / "argv.part") << "'\n"
                                   << "mv '" << (dir_ / "argv.part") << "' '" << (dir_ / "argv") << "'\n"
                                   << "exit ${QCR_XDG_EXIT:-0}\n";
  std::filesystem::permissions(dir_ / "xdg-open", std::filesystem::perms::owner_all);
  setenv("PATH", (dir_.path() + ":" + oldPath_).c_str(), 1);
}

RecordingXdgOpen::~RecordingXdgOpen() {
  setenv("PATH", oldPath_.c_str(), 1);
  unsetenv("QCR_XDG_EXIT");
}

std::string RecordingXdgOpen::Opened(bool wait) {
  const std::string record = dir_ / "argv";
  if (wait) PumpUntil([&] { return std::filesystem::exists(record); });
  std::string args;
  std::getline(std::ifstream(record), args);
  std::filesystem::remove(record);
  return args;
}

std::string ReadClipboardText() {
  wxClipboardLocker lock;
  if (!lock || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return "";
  wxTextDataObject data;
  if (!wxTheClipboard->GetData(data)) return "";
  return data.GetText().utf8_string();
}

}  // namespace gui_test
