// Helpers of the settings tests: a scoped environment variable, a settings
// folder of a test's own, and recording stand-ins for the Recent Files sub-menu, the menu painter
// and the open dialog that log every call in order.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_location.h"
#include "support/temp_folder.h"
#include "ui/views/views.h"

namespace orvane::test_support {

// Sets (or, with nullopt, removes) an environment variable, for the C runtime and the
// system's own calls alike (settings_test_util_win32.cpp, _posix.cpp).
void SetEnvironment(const std::string& name, const std::optional<std::string>& value);

// Sets (or, with nullopt, removes) an environment variable and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    SetEnvironment(name_, value);
  }
  ~ScopedEnv() { SetEnvironment(name_, old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A settings folder of the test's own: a scratch folder that the settings-folder variable names
// while the object lives, and its settings file.
class ScopedSettingsFolder {
 public:
  ScopedSettingsFolder() : variable_(app::kSettingsFolderVariable, folder_.Path().string()) {}

  const std::filesystem::path& Path() const { return folder_.Path(); }
  std::filesystem::path File() const { return folder_.Path() / app::kSettingsFileName; }
  std::string Read() const { return ReadBytes(File()); }
  void Write(const std::string& content) const { WriteBytes(File(), content); }

 private:
  TempFolder folder_;
  ScopedEnv variable_;
};

// One log for the menu, the painter and the dialog, so tests see the order of their calls.
using CallLog = std::vector<std::string>;

struct MenuItem {
  std::string caption;
  std::string name;
  int groupIndex;
  int imageIndex;
};

class RecordingMenu : public ui::RecentFilesMenuView {
 public:
  explicit RecordingMenu(CallLog& log) : log_(log) {}
  void Clear() override {
    log_.push_back("clear");
    items.clear();
  }
  void AddItem(const std::string& caption, const std::string& name, int groupIndex,
               int imageIndex) override {
    log_.push_back("add " + caption);
    items.push_back({caption, name, groupIndex, imageIndex});
  }
  int ItemCount() const override { return static_cast<int>(items.size()); }
  std::string ItemCaption(int position) const override {
    return items.at(static_cast<std::size_t>(position)).caption;
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const MenuItem& item : items) captions.push_back(item.caption);
    return captions;
  }

  std::vector<MenuItem> items;

 private:
  CallLog& log_;
};

class RecordingPainter : public ui::MenuPainterView {
 public:
  explicit RecordingPainter(CallLog& log) : log_(log) {}
  void Activate() override { log_.push_back("activate"); }
  void Deactivate() override { log_.push_back("deactivate"); }

 private:
  CallLog& log_;
};

class RecordingDialog : public ui::OpenDialogView {
 public:
  explicit RecordingDialog(CallLog& log) : log_(log) {}
  void SetInitialDir(const std::string& folder) override {
    log_.push_back("dir " + folder);
    initialDir = folder;
  }
  std::string InitialDir() const override { return initialDir; }

  std::string initialDir;

 private:
  CallLog& log_;
};

}  // namespace orvane::test_support
