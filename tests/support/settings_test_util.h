// Helpers of the settings tests: a scratch folder, whole-file access, a scoped environment
// variable, and recording stand-ins for the Recent Files sub-menu, the menu painter and the
// open dialog that log every call in order.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "ui/views.h"

namespace orvane::app::testing {

using test_support::TempFolder;

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Sets (or, with nullopt, removes) an environment variable and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
    ::SetEnvironmentVariableA(name_.c_str(), value ? value->c_str() : nullptr);
    _putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
    if (value) {
      ::setenv(name_.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
#endif
  }

  std::string name_;
  std::optional<std::string> old_;
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

}  // namespace orvane::app::testing
