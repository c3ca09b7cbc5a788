// The application object: the title, the three windows of the program, the message loop and the
// top-level error handler. Start-up, in this order: Initialize, SetTitle, CreateForms (the main
// window Form1 with its FormCreate, then Form2 and Form3 hidden), Run.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "app/startup_options.h"
#include "ui/views/main_window_controls.h"

namespace orvane::app {

class TForm1;
class TForm2;
class TForm3;
class TaskbarWindow;

class TApplication : public ui::MessagePump {
 public:
  TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  // Destroys the windows that are left, the last created first.
  ~TApplication() override;

  // Loads the common controls and the rich-text control, and installs the top-level error
  // handler.
  void Initialize();
  // The title is the program's task-bar entry (the main window keeps its own caption).
  void SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }
  // The window that carries the title; its handle owns the main window (null before CreateForms).
  HWND TaskbarHandle() const;

  // Creates the task-bar window, then Form1 (the main window, hidden; its FormCreate runs), then
  // Form2 and Form3, hidden.
  void CreateForms(const StartupOptions& options);
  TForm1* MainForm() const { return form1_.get(); }
  TForm2* Form2() const { return form2_.get(); }
  TForm3* Form3() const { return form3_.get(); }

  // Shows the main window, then runs the message loop until the application is asked to end;
  // then destroys the windows (the main window's FormDestroy closes the port). Returns the exit
  // code.
  int Run(int showCommand = SW_SHOWNORMAL);
  void ShowMainForm(int showCommand = SW_SHOWNORMAL);
  // Asks the message loop to end.
  void Terminate();
  // True once the end was asked for and the request reached the message loop.
  bool Terminated() const { return terminated_; }
  void DestroyForms();

  // Runs every pending window message once, then returns (ui::MessagePump).
  void ProcessMessages() override;
  // Once Exit was chosen (Terminate), a running command stops at its next step.
  bool EndRequested() const override { return endRequested_ || terminated_; }
  // Runs one message: the shortcuts, keyboard navigation, then the window.
  void ProcessMessage(MSG& message);

  // The top-level error handler: an error that ended a command is shown in the error box, and no
  // window is left disabled behind it: the progress window is closed and the main window enabled
  // (while the testing window is up its OK button is shown instead, which leads back).
  void HandleException(std::exception_ptr error);

 private:
  bool TranslateShortcut(HWND root, MSG& message);

  std::string title_;
  bool terminated_ = false;
  bool endRequested_ = false;
  int exitCode_ = 0;
  std::unique_ptr<TaskbarWindow> taskbar_;
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
  std::unique_ptr<TForm3> form3_;
};

}  // namespace orvane::app
